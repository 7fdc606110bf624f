#include "pages/FolderPage.h"

#include <windowsx.h>

#include "resources/ResourceIds.h"
#include "win/UniqueHandle.h"

namespace {

constexpr int kImageClosed = 0, kImageOpen = 1, kImageDrive = 2;

bool IsDot(const char* name) { return name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2])); }

// Lists the subfolders of path (hidden and system ones included), calling f for each name.
template <typename F>
void ForEachSubfolder(const std::string& path, F&& f) {
    std::string pattern = path + (!path.empty() && path.back() == '\\' ? "*.*" : "\\*.*");
    WIN32_FIND_DATAA record;
    win::UniqueFind listing(::FindFirstFileA(pattern.c_str(), &record));
    if (!listing) return;
    do {
        if ((record.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !IsDot(record.cFileName)) {
            if (!f(std::string(record.cFileName))) return;
        }
    } while (::FindNextFileA(listing.get(), &record));
}

bool HasSubfolder(const std::string& path) {
    bool found = false;
    ForEachSubfolder(path, [&](const std::string&) {
        found = true;
        return false;
    });
    return found;
}

class Tree {
public:
    explicit Tree(HWND hwnd) : hwnd_(hwnd) {}

    HTREEITEM Insert(HTREEITEM parent, const std::string& text, int image, int selectedImage,
                     FolderPage::State state) const {
        TVINSERTSTRUCTA insert{};
        insert.hParent = parent;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
        insert.item.pszText = const_cast<char*>(text.c_str());
        insert.item.iImage = image;
        insert.item.iSelectedImage = selectedImage;
        insert.item.stateMask = TVIS_STATEIMAGEMASK;
        insert.item.state = INDEXTOSTATEIMAGEMASK(state);
        return reinterpret_cast<HTREEITEM>(::SendMessageA(hwnd_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    void AddPlaceholder(HTREEITEM parent) const { Insert(parent, "", kImageClosed, kImageClosed, FolderPage::kNone); }

    FolderPage::State State(HTREEITEM item) const {
        return static_cast<FolderPage::State>(
            (::SendMessageA(hwnd_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK) >> 12) & 0xF);
    }
    void SetState(HTREEITEM item, FolderPage::State state) const {
        TVITEMA tv{};
        tv.mask = TVIF_STATE | TVIF_HANDLE;
        tv.hItem = item;
        tv.stateMask = TVIS_STATEIMAGEMASK;
        tv.state = INDEXTOSTATEIMAGEMASK(state);
        ::SendMessageA(hwnd_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
    }
    std::string Text(HTREEITEM item) const {
        char buffer[MAX_PATH + 1] = {};
        TVITEMA tv{};
        tv.mask = TVIF_TEXT | TVIF_HANDLE;
        tv.hItem = item;
        tv.pszText = buffer;
        tv.cchTextMax = sizeof(buffer);
        ::SendMessageA(hwnd_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
        return buffer;
    }
    HTREEITEM Child(HTREEITEM item) const { return TreeView_GetChild(hwnd_, item); }
    HTREEITEM Next(HTREEITEM item) const { return TreeView_GetNextSibling(hwnd_, item); }
    HTREEITEM Parent(HTREEITEM item) const { return TreeView_GetParent(hwnd_, item); }
    HTREEITEM Root() const { return TreeView_GetRoot(hwnd_); }

    void DeleteChildren(HTREEITEM item) const {
        while (HTREEITEM child = Child(item)) TreeView_DeleteItem(hwnd_, child);
    }

    // The folder of an item: the texts from the drive down, joined with backslashes.
    std::string Path(HTREEITEM item) const {
        std::string path = Text(item);
        for (HTREEITEM p = Parent(item); p; p = Parent(p)) path = Text(p) + "\\" + path;
        if (!path.empty() && path.back() == '\\') path.pop_back();
        return path;
    }

    // Gives the item and every descendant with a check box the state.
    void SetDown(HTREEITEM item, FolderPage::State state) const {
        if (State(item) != FolderPage::kNone) SetState(item, state);
        for (HTREEITEM c = Child(item); c; c = Next(c)) SetDown(c, state);
    }

    // Takes the state up the tree as far as every sibling agrees; above that, partly ticked.
    void PropagateUp(HTREEITEM item) const {
        for (HTREEITEM parent = Parent(item); parent; item = parent, parent = Parent(parent)) {
            FolderPage::State state = State(item);
            bool same = true;
            for (HTREEITEM c = Child(parent); c; c = Next(c))
                if (State(c) != FolderPage::kNone && State(c) != state) same = false;
            if (State(parent) == FolderPage::kNone) return;
            if (!same) {
                for (HTREEITEM p = parent; p; p = Parent(p))
                    if (State(p) != FolderPage::kNone) SetState(p, FolderPage::kPartly);
                return;
            }
            SetState(parent, state);
        }
    }

    void Toggle(HTREEITEM item) const {
        FolderPage::State state = State(item);
        if (state == FolderPage::kNone) return;
        FolderPage::State next = state == FolderPage::kTicked ? FolderPage::kUnticked : FolderPage::kTicked;
        SetDown(item, next);
        PropagateUp(item);
    }

private:
    HWND hwnd_;
};

}  // namespace

FolderPage::FolderPage() : WizardPage(IDD_PAGE_FOLDERS) {}

FolderPage::~FolderPage() {
    if (images_) ImageList_Destroy(images_);
    if (states_) ImageList_Destroy(states_);
}

void FolderPage::InitPage() {
    tree_ = Item(IDC_FOLDERS_TREE);
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    images_ = ImageList_LoadImageA(instance, MAKEINTRESOURCEA(IDB_TREE_IMAGES), 16, 0, RGB(255, 255, 255), IMAGE_BITMAP,
                                   LR_CREATEDIBSECTION);
    states_ = ImageList_LoadImageA(instance, MAKEINTRESOURCEA(IDB_TREE_STATES), 13, 0, RGB(255, 255, 255), IMAGE_BITMAP,
                                   LR_CREATEDIBSECTION);
    TreeView_SetImageList(tree_, images_, TVSIL_NORMAL);
    TreeView_SetImageList(tree_, states_, TVSIL_STATE);
    FillDrives();
    layout_.Attach(Handle(), {{IDC_PAGE_DESCRIPTION, win::Anchor::GrowWidth},
                              {IDC_FOLDERS_TREE, win::Anchor::GrowBoth},
                              {IDC_FOLDERS_SELECTALL, win::Anchor::MoveDown},
                              {IDC_FOLDERS_REMOVEALL, win::Anchor::MoveDown},
                              {IDC_PAGE_DEFAULT, win::Anchor::MoveBottomRight}});
    SetAllDrives(kTicked);
}

void FolderPage::FillDrives() {
    Tree tree(tree_);
    char drives[128] = {};
    DWORD n = ::GetLogicalDriveStringsA(sizeof(drives), drives);
    if (n == 0 || n > sizeof(drives)) return;
    for (const char* drive = drives; *drive; drive += strlen(drive) + 1) {
        if (::GetDriveTypeA(drive) != DRIVE_FIXED) continue;
        std::string text = drive;
        if (!text.empty() && text.back() == '\\') text.pop_back();
        HTREEITEM item = tree.Insert(TVI_ROOT, text, kImageDrive, kImageDrive, kUnticked);
        if (HasSubfolder(drive)) tree.AddPlaceholder(item);
    }
}

void FolderPage::SetAllDrives(State state) {
    Tree tree(tree_);
    for (HTREEITEM drive = tree.Root(); drive; drive = tree.Next(drive)) tree.SetDown(drive, state);
}

bool FolderPage::OnCommand(int id, int, HWND) {
    switch (id) {
    case IDC_FOLDERS_SELECTALL:
    case IDC_PAGE_DEFAULT:
        SetAllDrives(kTicked);
        return true;
    case IDC_FOLDERS_REMOVEALL:
        SetAllDrives(kUnticked);
        return true;
    }
    return false;
}

bool FolderPage::OnNotify(NMHDR* header, LRESULT& result) {
    if (header->idFrom != IDC_FOLDERS_TREE) return false;
    Tree tree(tree_);
    switch (header->code) {
    case TVN_ITEMEXPANDEDA:
    case TVN_ITEMEXPANDEDW: {
        auto* view = reinterpret_cast<NMTREEVIEWA*>(header);
        HTREEITEM item = view->itemNew.hItem;
        tree.DeleteChildren(item);
        if (view->action == TVE_EXPAND) {
            HCURSOR old = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
            ::SendMessageA(tree_, WM_SETREDRAW, FALSE, 0);
            const std::string path = tree.Path(item);
            const State state = tree.State(item);
            ForEachSubfolder(path, [&](const std::string& name) {
                HTREEITEM child = tree.Insert(item, name, kImageClosed, kImageOpen, kUnticked);
                if (HasSubfolder(path + "\\" + name)) tree.AddPlaceholder(child);
                if (state == kTicked) tree.SetDown(child, kTicked);
                return true;
            });
            ::SendMessageA(tree_, WM_SETREDRAW, TRUE, 0);
            ::InvalidateRect(tree_, nullptr, TRUE);
            ::SetCursor(old);
        } else {
            tree.AddPlaceholder(item);
        }
        return true;
    }
    case NM_CLICK: {
        TVHITTESTINFO hit{};
        DWORD pos = ::GetMessagePos();
        hit.pt = {GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
        ::ScreenToClient(tree_, &hit.pt);
        HTREEITEM item = TreeView_HitTest(tree_, &hit);
        if (item && (hit.flags & TVHT_ONITEMSTATEICON)) {
            tree.Toggle(item);
            result = 1;  // the tree's own handling of the click is suppressed
            return true;
        }
        return false;
    }
    case TVN_KEYDOWN: {
        auto* key = reinterpret_cast<NMTVKEYDOWN*>(header);
        if (key->wVKey == VK_SPACE) {
            if (HTREEITEM item = TreeView_GetSelection(tree_)) tree.Toggle(item);
            result = 1;
            return true;
        }
        return false;
    }
    }
    return false;
}

std::vector<std::string> FolderPage::CollectSelection() const {
    std::vector<std::string> roots;
    Tree tree(tree_);
    for (HTREEITEM drive = tree.Root(); drive; drive = tree.Next(drive)) {
        const std::string text = tree.Text(drive);
        switch (tree.State(drive)) {
        case kTicked: roots.push_back(text + "\\"); break;
        case kPartly: Collect(drive, text, roots); break;
        default: break;
        }
    }
    return roots;
}

void FolderPage::Collect(HTREEITEM parent, const std::string& prefix, std::vector<std::string>& out) const {
    Tree tree(tree_);
    for (HTREEITEM child = tree.Child(parent); child; child = tree.Next(child)) {
        const std::string path = prefix + "\\" + tree.Text(child);
        switch (tree.State(child)) {
        case kTicked: out.push_back(path); break;
        case kPartly: Collect(child, path, out); break;
        default: break;
        }
    }
}
