#pragma once
// The About dialog: the program's icon, its product name and version from its own version
// resource, links to the product's web site and support pages, the thanks list and a warning.

#include "win/Dialog.h"
#include "wizard/LinkControl.h"

class AboutDialog : public win::Dialog {
  public:
    const LinkControl& WebSiteLink() const { return webSite_; }
    const LinkControl& SupportLink() const { return support_; }

  protected:
    bool OnInit() override;
    bool OnCommand(int id, int code, HWND control) override;

  private:
    LinkControl webSite_;
    LinkControl support_;
};
