#include "pages/RuleTickList.h"

#include <algorithm>

#include "scan/RuleNames.h"

RuleTickList::RuleTickList(std::vector<RuleItem> items) : items_(std::move(items)) {
    std::vector<size_t> kept;
    for (size_t index = 0; index < items_.size(); ++index) {
        const RuleItem& item = items_[index];
        if (item.state != RuleState::Ready) {
            ++notOffered_;
            continue;
        }
        if (item.kept != KeptKind::None) {
            kept.push_back(index);
            continue;
        }
        std::string name = RuleGroupShown(item);
        if (item.file != kOwnRuleFile && item.file != kCacheChoiceFile)
            name += " (" + item.file + ")";
        auto group =
            std::find_if(groups_.begin(), groups_.end(), [&](const Group& g) { return g.name == name; });
        if (group == groups_.end())
            group = groups_.insert(groups_.end(), Group{std::move(name), {}});
        group->entries.push_back(index);
    }
    if (!kept.empty())
        groups_.push_back(Group{"", std::move(kept), true});
}

RuleTickList::State RuleTickList::GroupState(size_t group) const {
    const std::vector<size_t>& entries = groups_[group].entries;
    const auto ticked =
        std::count_if(entries.begin(), entries.end(), [&](size_t e) { return items_[e].ticked; });
    if (ticked == 0)
        return kUnticked;
    return static_cast<size_t>(ticked) == entries.size() ? kTicked : kSome;
}

void RuleTickList::SetDefaults() {
    for (const Group& group : groups_)
        for (size_t entry : group.entries)
            if (!items_[entry].forced)
                items_[entry].ticked = IsDefaultTicked(items_[entry]);
}

std::vector<RuleChoice> RuleTickList::ChoicesToStore(const std::vector<RuleChoice>& stored) const {
    // A forced entry's tick is the organisation's, never stored as the user's: the user's own
    // choice stays as it was, for when the policy goes.
    auto offered = [&](const RuleChoice& choice) {
        return std::any_of(items_.begin(), items_.end(), [&](const RuleItem& item) {
            return item.state == RuleState::Ready && !item.forced && item.file == choice.file &&
                   item.entry.name == choice.entry;
        });
    };
    std::vector<RuleChoice> choices;
    std::copy_if(stored.begin(), stored.end(), std::back_inserter(choices),
                 [&](const RuleChoice& choice) { return !offered(choice); });
    for (const Group& group : groups_)
        for (size_t entry : group.entries)
            if (!items_[entry].forced && items_[entry].ticked != IsDefaultTicked(items_[entry]))
                choices.push_back({items_[entry].file, items_[entry].entry.name, items_[entry].ticked});
    return choices;
}
