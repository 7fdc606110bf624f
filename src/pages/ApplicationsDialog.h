#pragma once
// The Applications list: the cleaning rules offered on this machine as a tree of groups and
// entries with three-state ticks. It loads the program's rule catalogue when it opens, asks before
// an entry with a warning is ticked, and on OK stores the choices in config.xml; Cancel stores
// nothing.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "config/Policy.h"
#include "pages/RuleTickList.h"
#include "win/Dialog.h"
#include "core/DataFolders.h"
#include "win/ResizeLayout.h"
#include "win/TreeView.h"
#include "win/UniqueHandle.h"

class ApplicationsDialog : public win::Dialog {
  public:
    // The rules of the program in data.program, ticked as data's config.xml keeps them; the ticks a
    // policy forces show as the policy sets them.
    explicit ApplicationsDialog(DataFolders data, Policy policy = {})
        : data_(std::move(data)),
          programFolder_(data_.program),
          configPath_(data_.ConfigPath()),
          policy_(std::move(policy)) {}

  protected:
    bool OnInit() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    void OnSize(int width, int height) override { layout_.Apply(width, height); }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

  private:
    void Fill();
    // Ticks or unticks the item's entry, or its whole group, asking first for each warned entry
    // that would be ticked; a group's tick leaves the entries reaching what the user keeps alone.
    void Toggle(HTREEITEM item);
    // Whether the user agrees to tick the entry: true at once unless it carries a warning or
    // reaches what the user keeps.
    bool MayTick(size_t entry);
    void ShowTicks();
    void Save();

    DataFolders data_;
    std::string programFolder_, configPath_;
    Policy policy_;
    std::unique_ptr<RuleTickList> list_;
    win::TreeView tree_;
    std::vector<HTREEITEM> groupItems_;  // by group
    std::vector<HTREEITEM> entryItems_;  // by catalogue index; null for entries not offered
    win::UniqueImageList states_;        // the tree keeps using them until the dialog goes
    win::ResizeLayout layout_;
    SIZE minimum_{};  // the window's size as the template made it
};
