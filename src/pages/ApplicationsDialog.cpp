#include "pages/ApplicationsDialog.h"

#include <windowsx.h>

#include "core/AskUser.h"
#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "core/LocaleText.h"
#include "resources/ResourceIds.h"
#include "scan/RuleNames.h"
#include "config/RuleSettings.h"
#include "config/RuleVariables.h"
#include "session/ProgramRules.h"
#include "win/Dpi.h"

namespace {

// A tree item's data: an entry's catalogue index, or a group's index as -1 - group.
LPARAM GroupData(size_t group) {
    return -1 - static_cast<LPARAM>(group);
}

}  // namespace

bool ApplicationsDialog::OnInit() {
    RECT window;
    ::GetWindowRect(Handle(), &window);
    minimum_ = {window.right - window.left, window.bottom - window.top};
    win::CentreWindow(Handle());
    tree_ = win::TreeView(Item(IDC_APPLICATIONS_TREE));
    states_ = win::LoadImageStrip(::GetModuleHandleW(nullptr), IDB_TREE_STATES, win::WindowDpi(Handle()));
    tree_.SetImageLists(nullptr, states_.get());
    LanguageTable::Instance().TranslateWindow(Handle());
    layout_.Attach(Handle(), {{IDC_APPLICATIONS_TREE, win::Anchor::GrowBoth},
                              {IDC_APPLICATIONS_NOTE, win::Anchor::MoveDownGrowWidth},
                              {IDC_APPLICATIONS_DEFAULT, win::Anchor::MoveDown},
                              {IDOK, win::Anchor::MoveBottomRight},
                              {IDCANCEL, win::Anchor::MoveBottomRight}});
    const ProtectedPlaces places = ProgramProtectedPlaces(data_);
    std::vector<RuleItem> items = ProgramRules(programFolder_, configPath_, places, policy_);
    // The applications whose caches their structure shows are looked for as the scan will: a
    // walk of the application data, which shows a wait cursor on a full profile.
    {
        HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // IDC_WAIT
        const RuleVariables variables = RuleVariables::Current();
        std::vector<RuleItem> caches = CacheApplicationItems(
            FindCacheApplications(CacheRoots(variables), places, OfferedRuleFolders(items, variables)),
            ReadRuleChoices(configPath_), Translate("_ApplicationsStructureGroup"));
        items.insert(items.end(), std::make_move_iterator(caches.begin()),
                     std::make_move_iterator(caches.end()));
        ::SetCursor(previous);
    }
    list_ = std::make_unique<RuleTickList>(std::move(items));
    Fill();
    const int notOffered = list_->NotOffered();
    SetItemText(IDC_APPLICATIONS_NOTE, notOffered ? FormatText(Translate("_ApplicationsNotOffered"),
                                                               {CountText(static_cast<uint64_t>(notOffered))})
                                       : list_->Groups().empty() ? Translate("_ApplicationsNone")
                                                                 : std::string());
    ::SetFocus(tree_.Handle());
    return false;
}

void ApplicationsDialog::Fill() {
    tree_.SetRedraw(false);
    entryItems_.assign(list_->Items().size(), nullptr);
    for (size_t g = 0; g < list_->Groups().size(); ++g) {
        const RuleTickList::Group& group = list_->Groups()[g];
        const std::string name = group.kept ? Translate("_ApplicationsKeptGroup") : group.name;
        HTREEITEM groupItem = tree_.Append(TVI_ROOT, name, 0, 0, list_->GroupState(g), GroupData(g));
        groupItems_.push_back(groupItem);
        for (size_t entry : group.entries) {
            const RuleItem& item = list_->Items()[entry];
            std::string text = group.kept
                                   ? RuleNameShown(item) + " (" + Translate(KeptKindKey(item.kept)) + ")"
                                   : RuleNameShown(item);
            if (item.forced)
                text += " (" + Translate("_PolicySetByOrganisation") + ")";
            entryItems_[entry] =
                tree_.Append(groupItem, text, 0, 0, RuleTickList::kUnticked, static_cast<LPARAM>(entry));
        }
        TreeView_Expand(tree_.Handle(), groupItem, TVE_EXPAND);
    }
    ShowTicks();
    tree_.SetRedraw(true);
    if (HTREEITEM first = tree_.Root())
        TreeView_SelectItem(tree_.Handle(), first);
}

void ApplicationsDialog::ShowTicks() {
    for (size_t g = 0; g < groupItems_.size(); ++g) {
        tree_.SetStateImage(groupItems_[g], list_->GroupState(g));
        for (size_t entry : list_->Groups()[g].entries)
            tree_.SetStateImage(entryItems_[entry],
                                list_->IsTicked(entry) ? RuleTickList::kTicked : RuleTickList::kUnticked);
    }
}

bool ApplicationsDialog::MayTick(size_t entry) {
    const RuleItem& item = list_->Items()[entry];
    const RuleEntry& rule = item.entry;
    if (item.kept != KeptKind::None) {
        const std::string question = FormatText(Translate("_ApplicationsKeptQuestion", true),
                                                {RuleNameShown(item), Translate(KeptKindKey(item.kept))});
        if (AskUserText(Handle(), question, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
            return false;
    }
    if (rule.warning.empty())
        return true;
    const std::string question =
        FormatText(Translate("_ApplicationsWarning", true), {RuleNameShown(item), rule.warning});
    return AskUserText(Handle(), question, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void ApplicationsDialog::Toggle(HTREEITEM item) {
    const LPARAM data = tree_.Data(item);
    if (data >= 0) {
        const auto entry = static_cast<size_t>(data);
        const bool tick = !list_->IsTicked(entry);
        if (list_->Items()[entry].forced)
            return;
        if (!tick || MayTick(entry))
            list_->SetTicked(entry, tick);
    } else {
        // A group that is not wholly ticked becomes so; a wholly ticked one is emptied. What the
        // user keeps is never ticked by a group's tick, only one entry at a time.
        const auto group = static_cast<size_t>(-1 - data);
        const bool tick = list_->GroupState(group) != RuleTickList::kTicked;
        for (size_t entry : list_->Groups()[group].entries)
            if (list_->IsTicked(entry) != tick && !list_->Items()[entry].forced &&
                (!tick || (list_->Items()[entry].kept == KeptKind::None && MayTick(entry))))
                list_->SetTicked(entry, tick);
    }
    ShowTicks();
}

void ApplicationsDialog::Save() {
    if (!WriteRuleChoices(configPath_, list_->ChoicesToStore(ReadRuleChoices(configPath_)))) {
        AskUserText(Handle(), FormatText(Translate("_ApplicationsNotSaved"), {configPath_}),
                    MB_OK | MB_ICONERROR);
        return;
    }
    End(IDOK);
}

bool ApplicationsDialog::OnCommand(int id, int, HWND) {
    switch (id) {
        case IDC_APPLICATIONS_DEFAULT:
            list_->SetDefaults();
            ShowTicks();
            return true;
        case IDOK:
            Save();
            return true;
        case IDCANCEL:
            End(IDCANCEL);
            return true;
    }
    return false;
}

bool ApplicationsDialog::OnNotify(NMHDR* header, LRESULT& result) {
    if (header->idFrom != IDC_APPLICATIONS_TREE)
        return false;
    switch (header->code) {
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
            if (reinterpret_cast<NMTVKEYDOWN*>(header)->wVKey != VK_SPACE)
                return false;
            if (HTREEITEM item = tree_.Selection())
                Toggle(item);
            result = 1;
            return true;
        }
    }
    return false;
}

bool ApplicationsDialog::OnMessage(UINT message, WPARAM, LPARAM lParam, INT_PTR& result) {
    if (message != WM_GETMINMAXINFO || minimum_.cx == 0)
        return false;
    // Smaller than its template, the buttons would cover the list.
    reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {minimum_.cx, minimum_.cy};
    result = TRUE;
    return true;
}
