#include "wizard/AboutDialog.h"

#include "core/LanguageTable.h"
#include "core/VersionInfo.h"
#include "core/WebAddresses.h"
#include "resources/ResourceIds.h"

bool AboutDialog::OnInit() {
    win::CentreWindow(Handle());
    LanguageTable::Instance().TranslateWindow(Handle());
    SetItemText(IDC_ABOUT_THANKS, Translate("_Thankyoulist", true));
    SetItemText(IDC_ABOUT_NAME, ProductString("ProductName"));
    SetItemText(IDC_ABOUT_VERSION, ProductString("ProductVersion"));
    webSite_.Attach(Item(IDC_ABOUT_WEBSITE), kWebSiteAddress);
    support_.Attach(Item(IDC_ABOUT_SUPPORT), kSupportAddress);
    // The focus on the close button, which Enter presses too; left to the system, the focus (and a
    // selection of all its text) would go to the thanks list, the first tab stop.
    ::SendMessageW(Handle(), DM_SETDEFID, IDCANCEL, 0);
    ::SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDCANCEL)), TRUE);
    return false;
}

bool AboutDialog::OnCommand(int id, int, HWND) {
    if (id != IDCANCEL)
        return false;
    End(IDCANCEL);
    return true;
}
