// The configuration document: loading, selecting, reading and changing attributes, saving, and
// refusing files that are missing, broken or declare a document type.
#include <gtest/gtest.h>

#include <climits>

#include "config/ConfigDocument.h"
#include "config/ListSettings.h"
#include "support/TestFiles.h"
#include "win/ComPtr.h"
#include "win/UniqueHandle.h"

namespace {

const char kSample[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<config>
  <quillmoor>
    <!-- a comment the program keeps -->
    <junkfiles>
      <items>
        <item file="*.tmp" description="Temporary" checked="1"/>
        <item file="~*" description="" checked="0"/>
      </items>
      <default>
        <item file="*.bak" description="Factory" checked="5"/>
      </default>
    </junkfiles>
    <note>some text</note>
  </quillmoor>
</config>
)";

// Stand-ins for the swap that fail as ReplaceFileA documents, first doing to the old file what
// each of those failures leaves behind.
BOOL WINAPI FailAfterDeletingOld(LPCWSTR replaced, LPCWSTR, LPCWSTR, DWORD, LPVOID, LPVOID) {
    ::DeleteFileW(replaced);
    ::SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT);
    return FALSE;
}
BOOL WINAPI FailAfterRenamingOld(LPCWSTR replaced, LPCWSTR, LPCWSTR, DWORD, LPVOID, LPVOID) {
    ::MoveFileW(replaced, (std::wstring(replaced) + L".moved").c_str());
    ::SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);
    return FALSE;
}
BOOL WINAPI FailLeavingOld(LPCWSTR, LPCWSTR, LPCWSTR, DWORD, LPVOID, LPVOID) {
    ::SetLastError(ERROR_UNABLE_TO_REMOVE_REPLACED);
    return FALSE;
}
// The old file gone, but its name taken again before the new file could move in.
BOOL WINAPI FailWithOldNameTaken(LPCWSTR, LPCWSTR, LPCWSTR, DWORD, LPVOID, LPVOID) {
    ::SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT);
    return FALSE;
}

class ConfigDocumentTest : public ::testing::Test {
  protected:
    win::ComApartment com_;
    test::TempFolder dir_;
    std::string path_ = dir_ / "config.xml";
};

}  // namespace

TEST(ConfigIntegers, ReadLikeAtoiWithinTheIntRange) {
    EXPECT_EQ(ParseConfigInteger("1"), 1);
    EXPECT_EQ(ParseConfigInteger("5"), 5);
    EXPECT_EQ(ParseConfigInteger("0"), 0);
    EXPECT_EQ(ParseConfigInteger(""), 0);
    EXPECT_EQ(ParseConfigInteger("yes"), 0);
    EXPECT_EQ(ParseConfigInteger("12 months"), 12);
    EXPECT_EQ(ParseConfigInteger("  7"), 7);
    EXPECT_EQ(ParseConfigInteger("-1"), -1);
    EXPECT_EQ(ParseConfigInteger("+3"), 3);
    EXPECT_EQ(ParseConfigInteger("0x1"), 0);
    EXPECT_EQ(ParseConfigInteger("- 1"), 0);
    EXPECT_EQ(ParseConfigInteger("99999999999999999999"), INT_MAX);
    EXPECT_EQ(ParseConfigInteger("-99999999999999999999"), INT_MIN);
}

TEST_F(ConfigDocumentTest, SelectsReadsWritesAndSavesInPlace) {
    test::WriteFile(path_, kSample);
    ConfigDocument document(path_);
    ASSERT_TRUE(document.IsLoaded());

    std::vector<XmlNode> rows = document.SelectNodes("/config/quillmoor/junkfiles/items/item");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(document.ReadAttribute(rows[0].get(), "file"), "*.tmp");
    EXPECT_EQ(document.ReadAttribute(rows[1].get(), "description"), "");  // present but empty
    EXPECT_EQ(document.ReadAttribute(rows[1].get(), "missing"), std::nullopt);
    EXPECT_EQ(document.ReadAttribute(nullptr, "file"), std::nullopt);
    EXPECT_EQ(document.ReadInteger(rows[0].get(), "checked"), 1);
    EXPECT_EQ(document.ReadInteger(rows[0].get(), "missing"), 0);
    EXPECT_EQ(document.ReadText(rows[0].get(), "missing"), "");
    EXPECT_FALSE(document.SelectSingleNode("/config/quillmoor/absent"));
    EXPECT_TRUE(document.SelectNodes("/config/quillmoor/absent/item").empty());
    EXPECT_FALSE(document.SelectSingleNode("/config/Quillmoor"));  // names are case-sensitive

    XmlNode parent = document.SelectSingleNode("/config/quillmoor/junkfiles/items");
    ASSERT_TRUE(parent);
    document.RemoveChild(parent.get(), rows[1].get());
    document.WriteAttribute(rows[0].get(), "checked", 0);
    document.WriteAttribute(rows[0].get(), "added", "a & b < \"c\" > 'd'");
    document.WriteAttribute(nullptr, "checked", 1);
    // Attributes go on in ascending ordinal order of their UTF-16 names: upper case first.
    document.AppendElement(parent.get(), "item", "",
                           {{"file", "New\xC3\xA9 \xF0\x9F\x98\x80.tmp"},
                            {"description",
                             "\xC5\x81\xC3\xB3"
                             "d\xC5\xBA"},
                            {"checked", "1"}});
    document.AppendElement(parent.get(), "entry", "inner text", {{"b", "2"}, {"a", "1"}, {"B", "0"}});
    document.AppendElement(nullptr, "item", "", {{"file", "lost"}});
    ASSERT_TRUE(document.Save());

    const std::string saved = test::ReadFile(path_);
    EXPECT_NE(saved.find("<item checked=\"1\" description=\"\xC5\x81\xC3\xB3"
                         "d\xC5\xBA\" file=\"New\xC3\xA9 \xF0\x9F\x98\x80.tmp\"/>"),
              std::string::npos)
        << saved;
    EXPECT_NE(saved.find("<entry B=\"0\" a=\"1\" b=\"2\">inner text</entry>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<!-- a comment the program keeps -->"), std::string::npos);
    EXPECT_NE(saved.find("\n        <item"), std::string::npos) << "rows are indented: " << saved;
    EXPECT_EQ(test::NamesIn(dir_.Path()), std::vector<std::string>{"config.xml"});  // no temporary file left

    ConfigDocument reopened(path_);
    ASSERT_TRUE(reopened.IsLoaded());
    rows = reopened.SelectNodes("/config/quillmoor/junkfiles/items/item");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(reopened.ReadText(rows[0].get(), "checked"), "0");
    EXPECT_EQ(reopened.ReadText(rows[0].get(), "added"), "a & b < \"c\" > 'd'");
    EXPECT_EQ(reopened.ReadText(rows[1].get(), "file"), "New\xC3\xA9 \xF0\x9F\x98\x80.tmp");
    EXPECT_EQ(reopened.ReadText(rows[1].get(), "description"),
              "\xC5\x81\xC3\xB3"
              "d\xC5\xBA");
    EXPECT_EQ(reopened.ReadText(reopened.SelectSingleNode("/config/quillmoor/junkfiles/default/item").get(),
                                "file"),
              "*.bak");
    XmlNode note = reopened.SelectSingleNode("/config/quillmoor/note");
    ASSERT_TRUE(note);
    win::Bstr noteText;
    note->get_text(noteText.put());
    EXPECT_EQ(noteText.ToText(), "some text");  // text content is not touched by the indentation

    // Saving again gives the same text: the indentation does not pile up.
    ASSERT_TRUE(reopened.Save());
    const std::string once = test::ReadFile(path_);
    ConfigDocument again(path_);
    ASSERT_TRUE(again.Save());
    EXPECT_EQ(test::ReadFile(path_), once);
}

TEST_F(ConfigDocumentTest, AMissingFileIsNeitherReadNorCreated) {
    ConfigDocument document(path_);
    EXPECT_FALSE(document.IsLoaded());
    EXPECT_FALSE(document.SelectSingleNode("/config"));
    EXPECT_TRUE(document.SelectNodes("/config/quillmoor/junkfiles/items/item").empty());
    document.AppendElement(document.SelectSingleNode("/config").get(), "item", "", {});
    EXPECT_FALSE(document.Save());
    EXPECT_FALSE(test::Exists(path_));
    EXPECT_TRUE(test::NamesIn(dir_.Path()).empty());

    // A file that goes away after loading is not brought back by saving.
    test::WriteFile(path_, kSample);
    ConfigDocument loaded(path_);
    ASSERT_TRUE(loaded.IsLoaded());
    ::DeleteFileA(path_.c_str());
    EXPECT_FALSE(loaded.Save());
    EXPECT_TRUE(test::NamesIn(dir_.Path()).empty());
}

TEST_F(ConfigDocumentTest, AReadOnlyFileStaysAsItWas) {
    test::WriteFile(path_, kSample);
    ::SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY);
    ConfigDocument document(path_);
    ASSERT_TRUE(document.IsLoaded());
    document.WriteAttribute(document.SelectSingleNode("/config/quillmoor/junkfiles/items/item").get(), "file",
                            "x");
    EXPECT_FALSE(document.Save());
    ::SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(test::ReadFile(path_), kSample);
    EXPECT_EQ(test::NamesIn(dir_.Path()), std::vector<std::string>{"config.xml"});
}

TEST_F(ConfigDocumentTest, BrokenFilesAndDocumentTypesAreRefusedAndNeverWritten) {
    const std::string secret = dir_ / "secret.txt";
    test::WriteFile(secret, "TOPSECRET");
    test::WriteFile(dir_ / "evil.dtd", "<!ENTITY ext SYSTEM \"secret.txt\">");
    std::string secretUrl = "file:///" + secret;
    for (char& ch : secretUrl)
        if (ch == '\\')
            ch = '/';
    const std::string body =
        "<config><quillmoor><junkfiles><items><item file=\"&x;\" description=\"d\" checked=\"1\"/></items>"
        "</junkfiles></quillmoor></config>";
    std::string laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE config [\n<!ENTITY x \"lol\">\n";
    std::string previous = "x";
    for (int level = 0; level < 12; ++level) {
        std::string name = "l";
        name += std::to_string(level);
        std::string expansion;
        for (int copy = 0; copy < 10; ++copy)
            expansion += "&" + previous + ";";
        laughs += "<!ENTITY " + name + " \"" + expansion + "\">\n";
        previous = name;
    }
    laughs += "]>\n" + std::string(body).replace(body.find("&x;"), 3, "&" + previous + ";");

    std::string utf16Doctype = "\xFF\xFE";
    for (char ch : std::string("<?xml version=\"1.0\"?><!DOCTYPE config [<!ENTITY x \"EVIL\">]>") + body) {
        utf16Doctype += ch;
        utf16Doctype += '\0';
    }

    const std::string full(kSample);
    const std::vector<std::pair<std::string, std::string>> inputs = {
        {"empty", ""},
        {"truncated", full.substr(0, full.size() / 2)},
        {"cut before the end tag", full.substr(0, full.rfind("</config>"))},
        {"not well-formed", "<config><quillmoor></config>"},
        {"two roots", "<config/><config/>"},
        {"plain text", "this is not XML at all"},
        {"binary", std::string("\x00\xFF\x13\x37<\x00\x01", 7)},
        {"internal entity", "<?xml version=\"1.0\"?><!DOCTYPE config [<!ENTITY x \"EVIL\">]>" + body},
        {"entity expansion", laughs},
        {"external entity",
         "<?xml version=\"1.0\"?><!DOCTYPE config [<!ENTITY x SYSTEM \"" + secretUrl + "\">]>" + body},
        {"external subset", "<?xml version=\"1.0\"?><!DOCTYPE config SYSTEM \"evil.dtd\">" + body},
        {"doctype in UTF-16", utf16Doctype},
    };
    for (const auto& [what, content] : inputs) {
        SCOPED_TRACE(what);
        test::WriteFile(path_, content);
        ConfigDocument document(path_);
        EXPECT_FALSE(document.IsLoaded());
        EXPECT_TRUE(document.SelectNodes("/config/quillmoor/junkfiles/items/item").empty());
        EXPECT_FALSE(document.Save());
        EXPECT_TRUE(ReadJunkPatterns(path_).empty());
        EXPECT_FALSE(WriteJunkPatterns(path_, {{"*.x", "x", true}}));
        EXPECT_EQ(test::ReadFile(path_), content);
        EXPECT_EQ(test::NamesIn(dir_.Path()).size(), 3u);  // config.xml, secret.txt, evil.dtd
    }
}

TEST_F(ConfigDocumentTest, OtherEncodingsLoad) {
    // The document-type check looks at two-byte text too, without refusing a plain UTF-16 file.
    std::string utf16 = "\xFF\xFE";
    for (char ch :
         std::string("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<config><quillmoor><junkfiles><items>"
                     "<item file=\"*.tmp\" description=\"t\" checked=\"1\"/></items></junkfiles>"
                     "</quillmoor></config>")) {
        utf16 += ch;
        utf16 += '\0';
    }
    test::WriteFile(path_, utf16);
    EXPECT_EQ(ReadJunkPatterns(path_), (std::vector<JunkPattern>{{"*.tmp", "t", true}}));

    test::WriteFile(
        path_,
        "<?xml version=\"1.0\" encoding=\"windows-1252\"?><config><quillmoor><junkfiles><items>"
        "<item file=\"caf\xE9.tmp\" description=\"\" checked=\"1\"/></items></junkfiles></quillmoor>"
        "</config>");
    EXPECT_EQ(ReadJunkPatterns(path_), (std::vector<JunkPattern>{{"caf\xC3\xA9.tmp", "", true}}));
    EXPECT_TRUE(WriteJunkPatterns(path_, {{"na\xC3\xAFve.tmp", "", false}}));
    EXPECT_EQ(ReadJunkPatterns(path_), (std::vector<JunkPattern>{{"na\xC3\xAFve.tmp", "", false}}));
}

TEST_F(ConfigDocumentTest, AFailedSwapNeverLosesTheOnlyCopy) {
    struct Restore {
        ~Restore() { SetConfigReplaceFunction(nullptr); }
    } restore;
    const struct {
        const char* what;
        ReplaceFileFunction replace;
        bool saved;
        std::vector<std::string> names;
    } cases[] = {
        {"old file deleted", FailAfterDeletingOld, true, {"config.xml"}},
        {"old file renamed away", FailAfterRenamingOld, true, {"config.xml", "config.xml.moved"}},
        {"old file untouched", FailLeavingOld, false, {"config.xml"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempFolder dir;
        const std::string path = dir / "config.xml";
        test::WriteFile(path, kSample);
        ConfigDocument document(path);
        document.WriteAttribute(document.SelectSingleNode("/config/quillmoor/note").get(), "new", "1");
        SetConfigReplaceFunction(c.replace);
        EXPECT_EQ(document.Save(), c.saved);
        const std::string text = test::ReadFile(path);
        EXPECT_EQ(text.find("<note new=\"1\">") != std::string::npos, c.saved) << text;
        if (!c.saved) {
            EXPECT_EQ(text, kSample);
        }
        EXPECT_EQ(test::NamesIn(dir.Path()), c.names);
    }

    // When the new file cannot take the old name either, it stays under its temporary one.
    test::WriteFile(path_, kSample);
    ConfigDocument document(path_);
    document.WriteAttribute(document.SelectSingleNode("/config/quillmoor/note").get(), "new", "1");
    SetConfigReplaceFunction(FailWithOldNameTaken);
    EXPECT_FALSE(document.Save());
    EXPECT_EQ(test::ReadFile(path_), kSample);
    const std::vector<std::string> names = test::NamesIn(dir_.Path());
    ASSERT_EQ(names.size(), 2u);
    EXPECT_NE(
        test::ReadFile(dir_ / (names[0] == "config.xml" ? names[1] : names[0])).find("<note new=\"1\">"),
        std::string::npos);
}
