#include "BenchTree.h"

#include <shlobj.h>

#include <cstdio>

#include "win/ComPtr.h"
#include "win/Text.h"
#include "win/UniqueHandle.h"

namespace {

// A small fixed-seed generator, so every machine gets the same tree.
class Lcg {
  public:
    unsigned Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }

  private:
    unsigned state_ = 12345;
};

const char* const kJunkNames[] = {"~wrl%u.tmp", "data%u.tmp", "report%u.bak", "setup%u.log", "crash%u.dmp",
                                  "file%u.chk", "old%u.old",  "cache%u.~mp",  "thumbs%u.db", "page%u.$$$"};
const char* const kPlainNames[] = {"document%u.txt", "photo%u.jpg", "music%u.mp3", "sheet%u.xls",
                                   "program%u.exe"};

void Write(const std::string& path, size_t bytes) {
    win::UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE || bytes == 0)
        return;
    static const std::string content(4096, 'q');
    DWORD written;
    ::WriteFile(file.get(), content.data(), static_cast<DWORD>(std::min(bytes, content.size())), &written,
                nullptr);
}

void Shortcut(const std::string& path, const std::string& target) {
    win::ComPtr<IShellLinkA> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  link.put_void())))
        return;
    link->SetPath(target.c_str());
    if (auto file = link.As<IPersistFile>(IID_IPersistFile))
        file->Save(win::Wide(path).c_str(), TRUE);
}

}  // namespace

TextMap BenchMasks() {
    return {
        {"*.tmp", "Temporary file"},  {"~*.*", "Temporary file"},   {"*.bak", "Backup copy"},
        {"*.old", "Old copy"},        {"*.dmp", "Crash dump"},      {"*.chk", "Disk check fragment"},
        {"*.~*", "Temporary file"},   {"thumbs*.db", "Thumbnails"}, {"*.$$$", "Temporary file"},
        {"*.gid", "Help index"},      {"*.fts", "Help index"},      {"*.ftg", "Help index"},
        {"*.syd", "Registry backup"}, {"*.prv", "Old copy"},        {"*.wbk", "Word backup"},
        {"*.xlk", "Excel backup"},    {"*.??$", "Installer temp"},  {"mscreate.dir", "Installer leftover"},
        {"*.err", "Error log"},       {"*.diz", "Description file"}};
}

BenchTree MakeBenchTree(const std::string& root, int fileCount) {
    BenchTree tree{root, 0, 0};
    const std::string marker = root + "\\complete-" + std::to_string(fileCount) + ".marker";
    Lcg random;
    std::vector<std::string> folders{root};
    // Ten files per folder on average, three levels deep.
    for (int a = 0; a < 25; ++a) {
        std::string la = root + "\\level" + std::to_string(a);
        folders.push_back(la);
        for (int b = 0; b < 20; ++b) {
            std::string lb = la + "\\folder" + std::to_string(b);
            folders.push_back(lb);
            for (int c = 0; c < 20; ++c)
                folders.push_back(lb + "\\leaf" + std::to_string(c));
        }
    }
    tree.folders = static_cast<int>(folders.size());
    tree.files = fileCount;
    if (::GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES)
        return tree;

    std::printf("Making the benchmark tree of %d files under %s ...\n", fileCount, root.c_str());
    for (const std::string& folder : folders)
        ::CreateDirectoryA(folder.c_str(), nullptr);
    win::ComApartment com;
    char name[64];
    for (int i = 0; i < fileCount; ++i) {
        const std::string& folder = folders[random.Next() % folders.size()];
        unsigned kind = random.Next() % 100;
        if (kind < 30) {  // junk by mask
            std::snprintf(name, sizeof(name), kJunkNames[random.Next() % 10], static_cast<unsigned>(i));
            Write(folder + "\\" + name, random.Next() % 2048);
        } else if (kind < 32) {  // zero-length
            std::snprintf(name, sizeof(name), "empty%u.dat", static_cast<unsigned>(i));
            Write(folder + "\\" + name, 0);
        } else if (i % 500 == 0) {  // shortcuts, half of them to a missing target
            std::snprintf(name, sizeof(name), "link%u.lnk", static_cast<unsigned>(i));
            Shortcut(folder + "\\" + name, (i % 1000 == 0) ? root + "\\missing.txt" : marker);
        } else {
            std::snprintf(name, sizeof(name), kPlainNames[random.Next() % 5], static_cast<unsigned>(i));
            Write(folder + "\\" + name, 1 + random.Next() % 4096);
        }
    }
    Write(marker, 1);
    return tree;
}
