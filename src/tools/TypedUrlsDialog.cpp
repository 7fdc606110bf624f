#include "tools/TypedUrlsDialog.h"

#include <commctrl.h>

#include <cstring>
#include <vector>

#include "app/FormatText.h"
#include "app/LanguageTable.h"
#include "resources/ResourceIds.h"
#include "win/CharStep.h"
#include "win/UniqueHandle.h"

const char* const kTypedUrlsKey = "Software\\Microsoft\\Internet Explorer\\TypedUrls";

namespace {

constexpr DWORD kDataBufferSize = 255;  // bytes of value data read for a row
constexpr DWORD kNameBufferSize = 255;  // characters of a value name, its terminator included
constexpr size_t kShownCharacters = kDataBufferSize - 1;

bool IsText(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

// The text up to its first NUL, never reading past size bytes.
std::string TextOf(const char* data, DWORD size) {
    return std::string(data, strnlen(data, size));
}

// The first kShownCharacters characters (never half of a double-byte one) and "...".
std::string Shortened(const std::string& text) {
    if (text.size() <= kShownCharacters)
        return text;
    size_t end = 0;
    for (size_t next; (next = win::NextCharIndex(text, end)) <= kShownCharacters && next > end;)
        end = next;
    return text.substr(0, end) + "...";
}

}  // namespace

std::string TypedUrlText(HKEY key, const std::string& name) {
    char data[kDataBufferSize] = {};
    DWORD type = REG_NONE;
    DWORD size = kDataBufferSize;
    LONG result = ::RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    if (result == ERROR_SUCCESS)
        return IsText(type) ? TextOf(data, size) : FormatText(Translate("_TypedUrlsNotText"), {name});
    if (result != ERROR_MORE_DATA)
        return {};
    if (!IsText(type))
        return FormatText(Translate("_TypedUrlsNotText"), {name});
    // Too long for the buffer, whose contents are undefined now: read it whole to show its start.
    std::vector<char> whole(size);
    if (::RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(whole.data()), &size) !=
            ERROR_SUCCESS ||
        !IsText(type))
        return {};
    return Shortened(TextOf(whole.data(), size));
}

std::string TypedUrlsDialog::RowName(int row) const {
    if (row < 0)
        return {};
    const auto* name = reinterpret_cast<const std::string*>(list_.Data(row));
    return name ? *name : std::string();
}

bool TypedUrlsDialog::OnInit() {
    win::CentreWindow(Handle());
    list_ = win::ListView(Item(IDC_TYPEDURLS_LIST));
    list_.AddColumn(0, Translate("_TypedUrlsDialogColUrl"), 450);
    list_.SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    LanguageTable::Instance().TranslateWindow(Handle());
    Fill();
    return true;
}

bool TypedUrlsDialog::OnCommand(int id, int, HWND) {
    switch (id) {
        case IDC_TYPEDURLS_CLEAR:
            ClearTicked();
            return true;
        case IDC_TYPEDURLS_CHECKALL:
            TickAll(true);
            return true;
        case IDC_TYPEDURLS_UNCHECKALL:
            TickAll(false);
            return true;
        case IDCANCEL:
            End(IDCANCEL);
            return true;
    }
    return false;
}

bool TypedUrlsDialog::OnNotify(NMHDR* header, LRESULT& result) {
    if (header->idFrom != IDC_TYPEDURLS_LIST || header->code != LVN_DELETEITEM)
        return false;
    // Each row owns its copy of the value's name.
    delete reinterpret_cast<std::string*>(reinterpret_cast<NMLISTVIEW*>(header)->lParam);
    result = 0;
    return true;
}

void TypedUrlsDialog::OnDestroy() {
    list_.DeleteAll();
}

void TypedUrlsDialog::Fill() {
    list_.DeleteAll();
    std::vector<std::string> names;
    {
        win::UniqueRegKey key;
        if (::RegCreateKeyA(HKEY_CURRENT_USER, kTypedUrlsKey, key.put()) != ERROR_SUCCESS)
            return;
        for (DWORD index = 0;; ++index) {
            char name[kNameBufferSize] = {};
            DWORD length = kNameBufferSize;
            // A name too long for the buffer ends the listing, as any failure does.
            if (::RegEnumValueA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            names.emplace_back(name, length);
        }
    }
    for (const std::string& name : names) {
        std::string text;
        {
            win::UniqueRegKey key;
            if (::RegOpenKeyA(HKEY_CURRENT_USER, kTypedUrlsKey, key.put()) == ERROR_SUCCESS)
                text = TypedUrlText(key.get(), name);
        }
        auto* carried = new std::string(name);
        const int row = list_.Append(text, reinterpret_cast<LPARAM>(carried));
        if (row < 0) {
            delete carried;
            continue;
        }
        list_.SetTicked(row, false);
    }
}

void TypedUrlsDialog::ClearTicked() {
    const int selected = list_.Selected();
    std::vector<std::string> names;
    for (int row = 0; row < list_.Count(); ++row)
        if (list_.IsTicked(row))
            names.push_back(RowName(row));
    {
        win::UniqueRegKey key;
        if (::RegOpenKeyA(HKEY_CURRENT_USER, kTypedUrlsKey, key.put()) == ERROR_SUCCESS) {
            for (const std::string& name : names)
                ::RegDeleteValueA(key.get(), name.c_str());
            ::RegFlushKey(key.get());
        }
    }
    Fill();
    if (selected >= 0 && list_.Count() > 0)
        list_.Select(selected < list_.Count() ? selected : list_.Count() - 1);
}

void TypedUrlsDialog::TickAll(bool ticked) {
    for (int row = 0; row < list_.Count(); ++row)
        list_.SetTicked(row, ticked);
}
