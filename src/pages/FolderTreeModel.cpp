#include "pages/FolderTreeModel.h"

FolderTreeModel::Node FolderTreeModel::Add(Node parent, const std::string& text, State state) {
    Node node;
    if (free_.empty()) {
        node = static_cast<Node>(nodes_.size());
        nodes_.emplace_back();
    } else {
        node = free_.back();
        free_.pop_back();
    }
    Entry& entry = nodes_[node];
    entry = Entry{text, state, parent, kNoNode, kNoNode, kNoNode, true};
    Node& first = parent == kNoNode ? firstDrive_ : nodes_[parent].firstChild;
    Node& last = parent == kNoNode ? lastDrive_ : nodes_[parent].lastChild;
    if (last == kNoNode)
        first = node;
    else
        nodes_[last].next = node;
    last = node;
    return node;
}

FolderTreeModel::Node FolderTreeModel::AddDrive(const std::string& text) {
    return Add(kNoNode, text, kUnticked);
}

FolderTreeModel::Node FolderTreeModel::AddFolder(Node parent, const std::string& name) {
    return Add(parent, name, StateOf(parent) == kTicked ? kTicked : kUnticked);
}

void FolderTreeModel::RemoveChildren(Node node) {
    for (Node child = FirstChild(node); child != kNoNode;) {
        const Node next = Next(child);
        RemoveChildren(child);
        nodes_[child] = Entry{};
        free_.push_back(child);
        child = next;
    }
    nodes_[node].firstChild = nodes_[node].lastChild = kNoNode;
}

void FolderTreeModel::SetState(Node node, State state) {
    if (nodes_[node].state == state)
        return;
    nodes_[node].state = state;
    changed_.push_back(node);
}

void FolderTreeModel::SetDown(Node node, State state) {
    SetState(node, state);
    for (Node child = FirstChild(node); child != kNoNode; child = Next(child))
        SetDown(child, state);
}

void FolderTreeModel::PropagateUp(Node node) {
    const State state = StateOf(node);
    for (Node parent = Parent(node); parent != kNoNode; parent = Parent(parent)) {
        for (Node child = FirstChild(parent); child != kNoNode; child = Next(child)) {
            if (StateOf(child) != state) {
                for (Node above = parent; above != kNoNode; above = Parent(above))
                    SetState(above, kPartly);
                return;
            }
        }
        SetState(parent, state);
    }
}

void FolderTreeModel::Toggle(Node node) {
    SetDown(node, StateOf(node) == kTicked ? kUnticked : kTicked);
    PropagateUp(node);
}

void FolderTreeModel::SetAll(State state) {
    for (Node drive = firstDrive_; drive != kNoNode; drive = Next(drive))
        SetDown(drive, state);
}

std::string FolderTreeModel::Path(Node node) const {
    std::string path = Text(node);
    for (Node above = Parent(node); above != kNoNode; above = Parent(above))
        path = Text(above) + "\\" + path;
    if (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path;
}

std::vector<std::string> FolderTreeModel::CollectSelection() const {
    std::vector<std::string> roots;
    for (Node drive = firstDrive_; drive != kNoNode; drive = Next(drive)) {
        if (StateOf(drive) == kTicked)
            roots.push_back(Text(drive) + "\\");
        else if (StateOf(drive) == kPartly)
            Collect(drive, Text(drive), roots);
    }
    return roots;
}

void FolderTreeModel::Collect(Node parent, const std::string& prefix, std::vector<std::string>& roots) const {
    for (Node child = FirstChild(parent); child != kNoNode; child = Next(child)) {
        const std::string path = prefix + "\\" + Text(child);
        if (StateOf(child) == kTicked)
            roots.push_back(path);
        else if (StateOf(child) == kPartly)
            Collect(child, path, roots);
    }
}

std::vector<FolderTreeModel::Node> FolderTreeModel::TakeChanged() {
    std::vector<Node> changed;
    changed.swap(changed_);
    std::erase_if(changed, [this](Node node) { return !nodes_[node].live; });
    return changed;
}
