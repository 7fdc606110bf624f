#include "pages/WizardPage.h"

#include "app/LanguageTable.h"
#include "resources/ResourceIds.h"

bool WizardPage::OnInit() {
    LanguageTable::Instance().TranslateWindow(Handle());
    shownPicture_ = win::FitPicture(Item(IDC_PAGE_PICTURE), picture_);
    InitPage();
    return false;
}

WelcomePage::WelcomePage() : WizardPage(IDD_PAGE_WELCOME, IDB_SIDE_WELCOME) {}

void WelcomePage::InitPage() {
    layout_.Attach(Handle(), {{IDC_PAGE_DESCRIPTION, win::Anchor::GrowBoth}});
}
