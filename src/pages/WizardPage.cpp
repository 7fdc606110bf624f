#include "pages/WizardPage.h"

#include "core/LanguageTable.h"
#include "resources/ResourceIds.h"

static_assert(QM_PICTURE_150 == win::kPictureAt150 && QM_PICTURE_200 == win::kPictureAt200,
              "the resources number their larger pictures as the picture loader looks for them");

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
