#pragma once
// A page of the wizard: a child dialog inside the frame's page pane that translates itself while it
// initialises and follows the pane's size with its resize layout.

#include "win/Dialog.h"
#include "win/Dpi.h"
#include "win/ResizeLayout.h"

class WizardPage : public win::Dialog {
  public:
    // picture: the side picture's bitmap at 100 %, which the template shows.
    WizardPage(int templateId, int picture) : templateId_(templateId), picture_(picture) {}
    int TemplateId() const noexcept { return templateId_; }
    HWND CreateIn(HWND pane) { return Create(templateId_, pane); }

  protected:
    bool OnInit() final;
    void OnSize(int width, int height) override { layout_.Apply(width, height); }
    // The page's own set-up, after its texts are translated: columns, layout, settings.
    virtual void InitPage() {}
    // For a page that stores its settings when its window goes: called from its own destructor,
    // while the object is still of its own type, so a page destroyed before its window still saves.
    void CloseOwnWindow() {
        if (Handle())
            ::DestroyWindow(Handle());
    }

    win::ResizeLayout layout_;

  private:
    int templateId_;
    int picture_;
    win::UniqueGdiObject<HBITMAP> shownPicture_;  // the side picture at the page's DPI, when not 96
};

// The welcome page: a text and a picture.
class WelcomePage : public WizardPage {
  public:
    WelcomePage();

  protected:
    void InitPage() override;
};
