#pragma once
// The folder selection page: the fixed drives as a tree with three-state check boxes, a view of a
// FolderTreeModel that holds the ticks and collects the search roots.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "pages/FolderTreeModel.h"
#include "pages/WizardPage.h"
#include "win/UniqueHandle.h"
#include "win/TreeView.h"

class FolderPage : public WizardPage {
  public:
    FolderPage();

    // One root folder per selected subtree, in tree order; never a folder with its ancestor.
    std::vector<std::string> CollectSelection() const { return model_.CollectSelection(); }

  protected:
    void InitPage() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;

  private:
    void FillDrives();
    // Shows the item's subfolders (read from disk now) or, collapsed, only its expand button.
    void Expanded(HTREEITEM item, bool expanded);
    // Adds the tree item of a model node, with a placeholder child when the folder has subfolders.
    void Show(HTREEITEM parent, FolderTreeModel::Node node, int image, int selectedImage, bool hasSubfolders);
    void Toggle(HTREEITEM item);
    // Gives the tree items whose nodes changed their model's state.
    void ShowChanges();

    FolderTreeModel model_;
    win::TreeView tree_;
    // The tree item of each model node, indexed by node; each item carries its node as data
    // (placeholders carry kNoNode).
    std::vector<HTREEITEM> items_;
    win::UniqueImageList images_;  // the tree keeps using them until the page goes
    win::UniqueImageList states_;
};
