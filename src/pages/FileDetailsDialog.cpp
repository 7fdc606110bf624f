#include "pages/FileDetailsDialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <vector>

#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "core/LocaleText.h"
#include "core/WebAddresses.h"
#include "resources/ResourceIds.h"
#include "win/ApiPath.h"
#include "win/LastAccessKept.h"
#include "win/ListView.h"
#include "win/PathCalls.h"
#include "win/PathParts.h"
#include "win/Prompts.h"
#include "win/Text.h"

namespace {

// The version resource's text fields, in the order they are read, with their row label keys.
constexpr const char* kVersionFields[][2] = {
    {"Comments", "_Comments"},
    {"InternalName", "_InternalName"},
    {"ProductName", "_ProductName"},
    {"CompanyName", "_CompanyName"},
    {"LegalCopyright", "_LegalCopyright"},
    {"ProductVersion", "_ProductVersion"},
    {"FileDescription", "_FileDescription"},
    {"LegalTrademarks", "_LegalTrademarks"},
    {"PrivateBuild", "_PrivateBuild"},
    {"FileVersion", "_FileVersion"},
    {"OriginalFilename", "_OriginalFilename"},
    {"SpecialBuild", "_SpecialBuild"},
};

bool IsExistingFile(const std::string& path) {
    const win::ResultOf<DWORD> attributes = win::FileAttributes(path);
    return attributes && !(attributes.Value() & FILE_ATTRIBUTE_DIRECTORY);
}

void ReadVersionRows(const std::string& path, std::map<std::string, TextMap>& rows) {
    DWORD ignored = 0;
    const std::wstring file = win::FileApiPath(path);
    const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0)
        return;
    std::vector<char> block(size);
    if (!::GetFileVersionInfoW(file.c_str(), 0, size, block.data()))
        return;
    void* translations = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &translations, &length) ||
        !translations)
        return;
    const auto* words = static_cast<const WORD*>(translations);
    for (UINT i = 0; i + 1 < length / sizeof(WORD); i += 2) {
        const WORD language = words[i], codePage = words[i + 1];
        char code[32];
        std::snprintf(code, sizeof(code), "0x%04X 0x%04X", language, codePage);
        TextMap& fields = rows[code];
        for (const auto& [field, labelKey] : kVersionFields) {
            wchar_t query[96];
            std::swprintf(query, 96, L"\\StringFileInfo\\%04x%04x\\%hs", language, codePage, field);
            void* value = nullptr;
            UINT valueLength = 0;
            std::string text;
            if (::VerQueryValueW(block.data(), query, &value, &valueLength) && value && valueLength > 0)
                text =
                    win::Narrow(std::wstring_view(static_cast<const wchar_t*>(value),
                                                  wcsnlen(static_cast<const wchar_t*>(value), valueLength)));
            // A field the block lacks still gets its row, with an empty value.
            fields[Translate(labelKey)] = text;
        }
    }
}

std::string LocalTimeText(const FILETIME& utc) {
    SYSTEMTIME system{}, local{};
    if (!::FileTimeToSystemTime(&utc, &system) ||
        !::SystemTimeToTzSpecificLocalTime(nullptr, &system, &local))
        local = system;
    return DateTimeText(local, Seconds::kShown);
}

void ReadGeneralRows(const std::string& path, TextMap& rows) {
    const win::ResultOf<WIN32_FILE_ATTRIBUTE_DATA> found = win::FileAttributeData(path);
    if (!found)
        return;
    const WIN32_FILE_ATTRIBUTE_DATA& data = found.Value();
    rows[Translate("_CreationTime")] = LocalTimeText(data.ftCreationTime);
    rows[Translate("_LastAccessTime")] = LocalTimeText(data.ftLastAccessTime);
    rows[Translate("_LastWriteTime")] = LocalTimeText(data.ftLastWriteTime);
    const uint64_t bytes = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    // The exact count beside the rounded size: two files that differ by a byte read apart.
    rows[Translate("_FileSize")] = FormatText(
        Translate("_FileSizeWithBytes"),
        {SizeText(bytes), FormatText(PluralForm(Translate("_SizeInBytes"), bytes), {CountText(bytes)})});
}

}  // namespace

FileDetails ReadFileDetails(const std::string& path) {
    FileDetails details;
    details.exists = IsExistingFile(path);
    if (!details.exists) {
        details.generalRows[""] = Translate("_FileIsNotExistInfo");
        return details;
    }
    // The times before the version read, which opens the file and would show it as opened now.
    ReadGeneralRows(path, details.generalRows);
    ReadVersionRows(path, details.versionRows);
    return details;
}

void FileDetailsDialog::OnDestroy() {
    // The icon control does not own what it shows: take the icon back before releasing it.
    ::SendMessageW(Item(IDC_DETAILS_ICON), STM_SETICON, 0, 0);
    ownIcon_.reset();
}

bool FileDetailsDialog::OnInit() {
    win::CentreWindow(Handle());
    win::ListView list(Item(IDC_DETAILS_LIST));
    list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_FLATSB);
    LanguageTable::Instance().TranslateWindow(Handle());

    // Looking at a file is not opening it: its last-access time goes back to what it was once the
    // icon and the version have been read, or the next scan would take it for recently used.
    win::LastAccessKept accessTime(path_);
    const FileDetails details = ReadFileDetails(path_);
    // ExtractIconW gives 1 for a file that is no executable, library or icon file, and nothing
    // for one without icons.
    HICON icon = ::ExtractIconW(::GetModuleHandleW(nullptr), win::FileApiPath(path_).c_str(), 0);
    if (reinterpret_cast<UINT_PTR>(icon) > 1) {
        ownIcon_.reset(icon);
    } else {
        icon = ::LoadIconW(nullptr, MAKEINTRESOURCEW(32516));  // IDI_INFORMATION
    }
    ::SendMessageW(Item(IDC_DETAILS_ICON), STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    SetItemText(IDC_DETAILS_PATH, path_);
    // The whole path stays there to read and copy; a path longer than the box's lines shows its
    // end, where the file's name is, and scrolls up to its start.
    HWND pathBox = Item(IDC_DETAILS_PATH);
    const LRESULT length = ::GetWindowTextLengthW(pathBox);
    ::SendMessageW(pathBox, EM_SETSEL, static_cast<WPARAM>(length), length);
    ::SendMessageW(pathBox, EM_SCROLLCARET, 0, 0);
    ::SendMessageW(pathBox, EM_SETSEL, 0, 0);
    accessTime.Restore();

    if (!details.exists) {
        Enable(IDC_DETAILS_LIST, false);
        Enable(IDC_DETAILS_BROWSE, false);
    }

    RECT client{};
    ::GetClientRect(list.Handle(), &client);
    const int third = (client.right - client.left) / 3;
    list.AddColumn(0, Translate("_AttributeName"), third);
    list.AddColumn(1, Translate("_AttributeValue"), third * 2);

    const std::string languageLabel = Translate("_LanguageCode");
    for (const auto& [code, fields] : details.versionRows) {
        AppendRow(languageLabel, code);
        for (const auto& [label, value] : fields)
            AppendRow(label, value);
    }
    for (const auto& [label, value] : details.generalRows)
        AppendRow(label, value);
    // The focus on "_OK" rather than on the first control, which would show the path selected.
    ::SetFocus(Item(IDOK));
    return false;
}

void FileDetailsDialog::AppendRow(const std::string& label, const std::string& value) const {
    win::ListView list(Item(IDC_DETAILS_LIST));
    list.SetText(list.Append(label), 1, value);
}

bool FileDetailsDialog::OnCommand(int id, int, HWND) {
    switch (id) {
        case IDOK:
        case IDCANCEL:
            End(id);
            return true;
        case IDC_DETAILS_BROWSE:
            // Disabled for a file that is gone: there is nothing to show in the file browser.
            if (!::IsWindowEnabled(Item(IDC_DETAILS_BROWSE)))
                return true;
            win::CurrentPrompts().ShellOpen(Handle(), "Explorer", "/select," + path_);
            return true;
        case IDC_DETAILS_GOOGLE:
            win::CurrentPrompts().ShellOpen(
                Handle(), std::string(kSearchAddress) + "/search?q=" + win::NamePartOf(path_), "");
            return true;
    }
    return false;
}
