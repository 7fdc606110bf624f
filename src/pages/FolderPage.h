#pragma once
// The folder selection page: the fixed drives as a tree with three-state check boxes.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "pages/WizardPage.h"

class FolderPage : public WizardPage {
public:
    FolderPage();
    ~FolderPage() override;

    // One root folder per selected subtree, in tree order; never a folder with its ancestor.
    std::vector<std::string> CollectSelection() const;

    // Check states: the tree's state image index.
    enum State { kNone = 0, kUnticked = 1, kPartly = 2, kTicked = 3 };

protected:
    void InitPage() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;

private:
    void FillDrives();
    void SetAllDrives(State state);
    void Collect(HTREEITEM parent, const std::string& prefix, std::vector<std::string>& out) const;

    HWND tree_ = nullptr;
    HIMAGELIST images_ = nullptr;
    HIMAGELIST states_ = nullptr;
};
