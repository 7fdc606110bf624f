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
    return true;
}

bool AboutDialog::OnCommand(int id, int, HWND) {
    if (id != IDCANCEL)
        return false;
    End(IDCANCEL);
    return true;
}
