#include "pages/FolderPage.h"

#include <windowsx.h>

#include "resources/ResourceIds.h"
#include "scan/Subfolders.h"
#include "session/Session.h"

namespace {

constexpr int kImageClosed = 0, kImageOpen = 1, kImageDrive = 2;

}  // namespace

FolderPage::FolderPage() : WizardPage(IDD_PAGE_FOLDERS, IDB_SIDE_FOLDERS) {}

void FolderPage::InitPage() {
    tree_ = win::TreeView(Item(IDC_FOLDERS_TREE));
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const UINT dpi = win::WindowDpi(Handle());
    images_ = win::LoadImageStrip(instance, IDB_TREE_IMAGES, dpi);
    states_ = win::LoadImageStrip(instance, IDB_TREE_STATES, dpi);
    tree_.SetImageLists(images_.get(), states_.get());
    FillDrives();
    layout_.Attach(Handle(), {{IDC_PAGE_DESCRIPTION, win::Anchor::GrowWidth},
                              {IDC_FOLDERS_TREE, win::Anchor::GrowBoth},
                              {IDC_FOLDERS_SELECTALL, win::Anchor::MoveDown},
                              {IDC_FOLDERS_REMOVEALL, win::Anchor::MoveDown},
                              {IDC_PAGE_DEFAULT, win::Anchor::MoveBottomRight}});
    model_.SetAll(FolderTreeModel::kTicked);
    ShowChanges();
}

void FolderPage::FillDrives() {
    for (const std::string& drive : FixedDrives()) {
        std::string text = drive;
        if (!text.empty() && text.back() == '\\')
            text.pop_back();
        Show(TVI_ROOT, model_.AddDrive(text), kImageDrive, kImageDrive, HasSubfolder(drive));
    }
}

void FolderPage::Show(HTREEITEM parent, FolderTreeModel::Node node, int image, int selectedImage,
                      bool hasSubfolders) {
    HTREEITEM item =
        tree_.Append(parent, model_.Text(node), image, selectedImage, model_.StateOf(node), node);
    if (static_cast<size_t>(node) >= items_.size())
        items_.resize(node + 1);
    items_[node] = item;
    // A placeholder child without a check box gives the item its expand button.
    if (item && hasSubfolders)
        tree_.Append(item, "", kImageClosed, kImageClosed, 0, FolderTreeModel::kNoNode);
}

void FolderPage::Expanded(HTREEITEM item, bool expanded) {
    const auto node = static_cast<FolderTreeModel::Node>(tree_.Data(item));
    tree_.DeleteChildren(item);
    if (node == FolderTreeModel::kNoNode)
        return;
    model_.RemoveChildren(node);
    if (!expanded) {
        tree_.Append(item, "", kImageClosed, kImageClosed, 0, FolderTreeModel::kNoNode);
        return;
    }
    HCURSOR old = ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // IDC_WAIT
    tree_.SetRedraw(false);
    const std::string path = model_.Path(node);
    for (const std::string& name : ListSubfolders(path))
        Show(item, model_.AddFolder(node, name), kImageClosed, kImageOpen, HasSubfolder(path + "\\" + name));
    tree_.SetRedraw(true);
    ::SetCursor(old);
}

void FolderPage::Toggle(HTREEITEM item) {
    const auto node = static_cast<FolderTreeModel::Node>(tree_.Data(item));
    if (node == FolderTreeModel::kNoNode)
        return;
    model_.Toggle(node);
    ShowChanges();
}

void FolderPage::ShowChanges() {
    for (FolderTreeModel::Node node : model_.TakeChanged())
        tree_.SetStateImage(items_[node], model_.StateOf(node));
}

bool FolderPage::OnCommand(int id, int, HWND) {
    switch (id) {
        case IDC_FOLDERS_SELECTALL:
        case IDC_PAGE_DEFAULT:
            model_.SetAll(FolderTreeModel::kTicked);
            ShowChanges();
            return true;
        case IDC_FOLDERS_REMOVEALL:
            model_.SetAll(FolderTreeModel::kUnticked);
            ShowChanges();
            return true;
    }
    return false;
}

bool FolderPage::OnNotify(NMHDR* header, LRESULT& result) {
    if (header->idFrom != IDC_FOLDERS_TREE)
        return false;
    switch (header->code) {
        case TVN_ITEMEXPANDEDW: {
            auto* view = reinterpret_cast<NMTREEVIEWW*>(header);
            Expanded(view->itemNew.hItem, view->action == TVE_EXPAND);
            return true;
        }
        case NM_CLICK: {
            const DWORD pos = ::GetMessagePos();
            HTREEITEM item = tree_.StateImageAt({GET_X_LPARAM(pos), GET_Y_LPARAM(pos)});
            if (!item)
                return false;
            Toggle(item);
            result = 1;  // the tree's own handling of the click is suppressed
            return true;
        }
        case TVN_KEYDOWN: {
            auto* key = reinterpret_cast<NMTVKEYDOWN*>(header);
            if (key->wVKey != VK_SPACE)
                return false;
            if (HTREEITEM item = tree_.Selection())
                Toggle(item);
            result = 1;
            return true;
        }
    }
    return false;
}
