#pragma once
// The folder selection page's data: the fixed drives and the folders shown below them, each with a
// three-state tick, and the search roots they select. No window code: the page mirrors the nodes
// in its tree view and the tree's tests run on this class alone.

#include <string>
#include <vector>

class FolderTreeModel {
  public:
    // A node's handle; node handles of removed nodes are given out again.
    using Node = int;
    static constexpr Node kNoNode = -1;
    // The values are the tree's state image indexes.
    enum State { kUnticked = 1, kPartly = 2, kTicked = 3 };

    // Adds a drive (its root without the trailing backslash, "C:") at the end, unticked.
    Node AddDrive(const std::string& text);
    // Adds a folder at the end of parent's children: ticked when parent is, unticked otherwise.
    Node AddFolder(Node parent, const std::string& name);
    // Forgets every node below node, with their ticks; node keeps its own state.
    void RemoveChildren(Node node);

    // Ticked becomes unticked, unticked and partly ticked become ticked; every node below takes
    // the new state, and so does each ancestor as far as all its children agree; from the first
    // ancestor whose children differ upwards, every ancestor is partly ticked.
    void Toggle(Node node);
    // Gives every drive and every node below it state.
    void SetAll(State state);

    State StateOf(Node node) const { return nodes_[node].state; }
    const std::string& Text(Node node) const { return nodes_[node].text; }
    // The node's folder: the texts from the drive down joined with backslashes, without a
    // trailing one ("C:", "C:\Windows").
    std::string Path(Node node) const;
    Node FirstDrive() const { return firstDrive_; }
    Node Parent(Node node) const { return nodes_[node].parent; }
    Node FirstChild(Node node) const { return nodes_[node].firstChild; }
    Node Next(Node node) const { return nodes_[node].next; }

    // One search root per selected subtree, in tree order: a ticked drive as "C:\", a ticked
    // folder under a partly ticked one as "C:\Windows"; never a folder with one of its ancestors.
    std::vector<std::string> CollectSelection() const;

    // The nodes whose state changed since the last call (a node may be named more than once), so
    // that a view shows the new states; removed nodes are left out.
    std::vector<Node> TakeChanged();

  private:
    struct Entry {
        std::string text;
        State state = kUnticked;
        Node parent = kNoNode, firstChild = kNoNode, lastChild = kNoNode, next = kNoNode;
        bool live = false;
    };

    Node Add(Node parent, const std::string& text, State state);
    void SetState(Node node, State state);
    void SetDown(Node node, State state);
    void PropagateUp(Node node);
    void Collect(Node parent, const std::string& prefix, std::vector<std::string>& roots) const;

    std::vector<Entry> nodes_;
    std::vector<Node> free_;
    std::vector<Node> changed_;
    Node firstDrive_ = kNoNode, lastDrive_ = kNoNode;
};
