// The folder selection without its window: the tree model's three-state ticks and the search roots
// they select, and the subfolder listing that fills the tree.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pages/FolderTreeModel.h"
#include "scan/Subfolders.h"
#include "support/TestFiles.h"

namespace {

using Roots = std::vector<std::string>;
using Node = FolderTreeModel::Node;

std::vector<Node> Sorted(std::vector<Node> nodes) {
    std::sort(nodes.begin(), nodes.end());
    nodes.erase(std::unique(nodes.begin(), nodes.end()), nodes.end());
    return nodes;
}

}  // namespace

TEST(FolderTreeModel, TicksPropagateBothWaysAndCollectOneRootPerSelectedSubtree) {
    FolderTreeModel model;
    const Node c = model.AddDrive("C:");
    const Node d = model.AddDrive("D:");
    EXPECT_EQ(model.StateOf(c), FolderTreeModel::kUnticked);
    EXPECT_TRUE(model.CollectSelection().empty());
    model.SetAll(FolderTreeModel::kTicked);
    EXPECT_EQ(Sorted(model.TakeChanged()), Sorted({c, d}));
    EXPECT_EQ(model.CollectSelection(), (Roots{"C:\\", "D:\\"}));

    // Folders shown below a ticked folder come ticked.
    const Node windows = model.AddFolder(c, "Windows");
    const Node users = model.AddFolder(c, "Users");
    const Node temp = model.AddFolder(c, "Temp");
    EXPECT_EQ(model.StateOf(users), FolderTreeModel::kTicked);
    EXPECT_EQ(model.Path(c), "C:");
    EXPECT_EQ(model.Path(windows), "C:\\Windows");

    // Unticking one folder leaves its drive partly ticked; every other folder is a root of its own.
    model.Toggle(windows);
    EXPECT_EQ(model.StateOf(windows), FolderTreeModel::kUnticked);
    EXPECT_EQ(model.StateOf(c), FolderTreeModel::kPartly);
    EXPECT_EQ(Sorted(model.TakeChanged()), Sorted({windows, c}));
    EXPECT_EQ(model.CollectSelection(), (Roots{"C:\\Users", "C:\\Temp", "D:\\"}));

    // Two levels down: the partly state climbs to the drive, and ticking everything again below a
    // folder ticks the folder as far up as all children agree.
    const Node ann = model.AddFolder(users, "Ann");
    model.AddFolder(users, "Bob");
    EXPECT_EQ(model.Path(ann), "C:\\Users\\Ann");
    model.Toggle(ann);
    EXPECT_EQ(model.StateOf(users), FolderTreeModel::kPartly);
    EXPECT_EQ(model.CollectSelection(), (Roots{"C:\\Users\\Bob", "C:\\Temp", "D:\\"}));
    model.Toggle(ann);
    EXPECT_EQ(model.StateOf(users), FolderTreeModel::kTicked);
    EXPECT_EQ(model.StateOf(c), FolderTreeModel::kPartly);
    model.Toggle(windows);
    EXPECT_EQ(model.StateOf(c), FolderTreeModel::kTicked);
    EXPECT_EQ(model.CollectSelection(), (Roots{"C:\\", "D:\\"}));

    // With every child unticked the drive is unticked and gives nothing.
    model.Toggle(windows);
    model.Toggle(users);
    model.Toggle(temp);
    EXPECT_EQ(model.StateOf(c), FolderTreeModel::kUnticked);
    EXPECT_EQ(model.StateOf(ann), FolderTreeModel::kUnticked);
    EXPECT_EQ(model.CollectSelection(), (Roots{"D:\\"}));

    // Dropping the folders of a partly ticked drive keeps its state; folders shown again come
    // unticked and give nothing until one is ticked, which is collected in the drive's place.
    model.Toggle(temp);
    model.TakeChanged();
    model.Toggle(users);
    model.RemoveChildren(c);
    EXPECT_EQ(model.FirstChild(c), FolderTreeModel::kNoNode);
    EXPECT_EQ(model.TakeChanged(), std::vector<Node>{});  // the changed folders are gone
    EXPECT_EQ(model.StateOf(c), FolderTreeModel::kPartly);
    const Node again = model.AddFolder(c, "Windows");
    const Node programs = model.AddFolder(c, "Programs");
    EXPECT_EQ(model.FirstChild(again), FolderTreeModel::kNoNode);
    EXPECT_EQ(model.Next(again), programs);
    EXPECT_EQ(model.StateOf(again), FolderTreeModel::kUnticked);
    EXPECT_EQ(model.CollectSelection(), (Roots{"D:\\"}));
    model.Toggle(programs);
    EXPECT_EQ(model.CollectSelection(), (Roots{"C:\\Programs", "D:\\"}));

    // A partly ticked drive toggles to ticked, everything below it too; SetAll reaches every node.
    model.Toggle(c);
    EXPECT_EQ(model.StateOf(again), FolderTreeModel::kTicked);
    EXPECT_EQ(model.CollectSelection(), (Roots{"C:\\", "D:\\"}));
    model.SetAll(FolderTreeModel::kUnticked);
    EXPECT_EQ(model.StateOf(programs), FolderTreeModel::kUnticked);
    EXPECT_TRUE(model.CollectSelection().empty());
}

TEST(Subfolders, EveryFolderIsListedHiddenOnesTooAndFilesNeverCount) {
    test::TempFolder dir;
    test::MakeFolders(dir / "plain");
    test::MakeFolders(dir / "hidden");
    ::SetFileAttributesA((dir / "hidden").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    test::WriteFile(dir / "file.txt");
    test::WriteFile(dir / "plain\\only-a-file.txt");

    std::vector<std::string> names = ListSubfolders(dir.Path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"hidden", "plain"}));
    EXPECT_EQ(ListSubfolders(dir.Path() + "\\"), ListSubfolders(dir.Path()));
    EXPECT_TRUE(HasSubfolder(dir.Path()));
    EXPECT_FALSE(HasSubfolder(dir / "plain"));
    EXPECT_TRUE(ListSubfolders(dir / "missing").empty());
    EXPECT_FALSE(HasSubfolder(dir / "missing"));
}
