#include "support/Speaking.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "core/LanguageTable.h"
#include "support/WindowTest.h"

namespace test {

Speaking::Speaking(const std::string& tag) {
    EXPECT_TRUE(::CopyFileA(SourceFile("data/Quillmoor.language").c_str(),
                            (dir_ / "Quillmoor.language").c_str(), FALSE));
    LanguageTable& table = LanguageTable::Instance();
    table.SetPath(dir_ / "Quillmoor.language");
    EXPECT_TRUE(
        table.SetTranslation(tag.empty() ? std::string() : SourceFile("data/Languages/" + tag + ".language")))
        << tag;
}

Speaking::~Speaking() {
    LanguageTable& table = LanguageTable::Instance();
    (void)table.SetTranslation("");
    table.SetPath("");
}

}  // namespace test
