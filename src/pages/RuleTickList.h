#pragma once
// What the Applications list shows and edits: the offered entries of a rule catalogue in their
// groups, with their ticks. No window: the dialog is a view of it, and asking the user before a
// warned entry is ticked is the dialog's part.

#include <string>
#include <vector>

#include "config/RuleSettings.h"
#include "scan/RuleCatalogue.h"

class RuleTickList {
  public:
    // Each box's state, numbered as the tree's state pictures are.
    enum State { kUnticked = 1, kSome = 2, kTicked = 3 };

    struct Group {
        std::string name;             // the entries' group as shown (RuleGroupShown), with the rule
                                      // file's name when it is not the program's own file
        std::vector<size_t> entries;  // indexes into Items(), in file order
        // The entries that reach what the user keeps, from every group, after all others: a
        // group's tick never ticks them.
        bool kept = false;
    };

    explicit RuleTickList(std::vector<RuleItem> items);

    const std::vector<RuleItem>& Items() const { return items_; }
    // The groups of the offered entries, in the order their first entries come, then the group of
    // the kept entries when there are any.
    const std::vector<Group>& Groups() const { return groups_; }
    // How many entries are not offered here (not detected, unreadable, unsafe, for administrators).
    int NotOffered() const { return notOffered_; }

    bool IsTicked(size_t entry) const { return items_[entry].ticked; }
    // An entry a policy forces keeps the organisation's tick.
    void SetTicked(size_t entry, bool ticked) {
        if (!items_[entry].forced)
            items_[entry].ticked = ticked;
    }
    State GroupState(size_t group) const;
    // Every offered entry back to its default tick (IsDefaultTicked), but for those a policy forces.
    void SetDefaults();

    // The choices to store, given those stored now: each offered entry's tick where it differs
    // from its default; the stored choices of entries not offered here stay as they are.
    std::vector<RuleChoice> ChoicesToStore(const std::vector<RuleChoice>& stored) const;

  private:
    std::vector<RuleItem> items_;
    std::vector<Group> groups_;
    int notOffered_ = 0;
};
