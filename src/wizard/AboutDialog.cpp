#include "wizard/AboutDialog.h"

#include "app/LanguageTable.h"
#include "app/VersionInfo.h"
#include "resources/ResourceIds.h"
#include "wizard/MenuCommands.h"

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
