#include "tools/TypedUrlsDialog.h"

#include <commctrl.h>

#include "core/LanguageTable.h"
#include "resources/ResourceIds.h"
#include "win/Dpi.h"

std::string TypedUrlsDialog::RowName(int row) const {
    if (row < 0 || row >= list_.Count())
        return {};
    const auto index = static_cast<size_t>(list_.Data(row));
    return index < rows_.size() ? rows_[index].name : std::string();
}

bool TypedUrlsDialog::OnInit() {
    win::CentreWindow(Handle());
    list_ = win::ListView(Item(IDC_TYPEDURLS_LIST));
    const UINT dpi = win::WindowDpi(Handle());
    list_.AddColumn(0, Translate("_TypedUrlsDialogColUrl"), win::ScaleToDpi(450, dpi));
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

void TypedUrlsDialog::Fill() {
    // The rows go before the entries they point into do.
    list_.DeleteAll();
    rows_ = history_.Read();
    for (size_t index = 0; index < rows_.size(); ++index) {
        const int row = list_.Append(rows_[index].text, static_cast<LPARAM>(index));
        if (row >= 0)
            list_.SetTicked(row, false);
    }
}

void TypedUrlsDialog::ClearTicked() {
    const int selected = list_.Selected();
    std::vector<TypedUrl> ticked;
    for (int row = 0; row < list_.Count(); ++row) {
        const auto index = static_cast<size_t>(list_.Data(row));
        if (list_.IsTicked(row) && index < rows_.size())
            ticked.push_back(rows_[index]);
    }
    history_.Delete(ticked);
    Fill();
    if (selected >= 0 && list_.Count() > 0)
        list_.Select(selected < list_.Count() ? selected : list_.Count() - 1);
}

void TypedUrlsDialog::TickAll(bool ticked) {
    for (int row = 0; row < list_.Count(); ++row)
        list_.SetTicked(row, ticked);
}
