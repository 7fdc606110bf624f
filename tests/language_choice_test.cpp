// Which language the program speaks: translations found beside it, the closest one to the Windows
// display language, the user's stored choice, and every key a translation lacks shown in English.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string_view>
#include <thread>

#include "config/LanguageSetting.h"
#include "core/LanguageFile.h"
#include "core/LanguageChoice.h"
#include "core/LanguageTable.h"
#include "core/LocaleText.h"
#include "support/TestFiles.h"
#include "support/WindowTest.h"
#include "win/ComPtr.h"
#include "win/Prompts.h"
#include "win/TextParts.h"

namespace {

const std::vector<std::string> kShipped = {"de", "es", "fr", "ja", "pl", "pt-BR", "zh-CN"};

std::string Utf16File(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

}  // namespace

TEST(LanguageChoice, DisplayLanguageFindsItsClosestTranslation) {
    EXPECT_EQ(ClosestShippedTag("de-DE", kShipped), "de");
    EXPECT_EQ(ClosestShippedTag("DE-at", kShipped), "de");
    EXPECT_EQ(ClosestShippedTag("pt-BR", kShipped), "pt-BR");
    EXPECT_EQ(ClosestShippedTag("pt-PT", kShipped), "pt-BR");  // the nearest Portuguese there is
    EXPECT_EQ(ClosestShippedTag("zh-CN", kShipped), "zh-CN");
    EXPECT_EQ(ClosestShippedTag("zh-SG", kShipped), "zh-CN");
    // Readers of traditional characters are not handed simplified ones.
    EXPECT_EQ(ClosestShippedTag("zh-TW", kShipped), "");
    EXPECT_EQ(ClosestShippedTag("zh-Hant-HK", kShipped), "");
    EXPECT_EQ(ClosestShippedTag("it-IT", kShipped), "");
    EXPECT_EQ(ClosestShippedTag("", kShipped), "");
    // The most specific file wins over its base language.
    EXPECT_EQ(ClosestShippedTag("pt-BR", {"pt", "pt-BR"}), "pt-BR");
    EXPECT_EQ(ClosestShippedTag("pt-PT", {"pt-BR", "pt"}), "pt");
}

TEST(LanguageChoice, StoredChoiceComesFirstAndUnknownOnesFallBack) {
    EXPECT_EQ(PickLanguage("", "de-DE", kShipped), "de");
    EXPECT_EQ(PickLanguage("fr", "de-DE", kShipped), "fr");
    EXPECT_EQ(PickLanguage("PT-br", "de-DE", kShipped), "pt-BR");
    EXPECT_EQ(PickLanguage("en", "de-DE", kShipped), kEnglishTag);
    // A stored language that no longer ships speaks as Windows does, else English.
    EXPECT_EQ(PickLanguage("it", "de-DE", kShipped), "de");
    EXPECT_EQ(PickLanguage("it", "sv-SE", kShipped), kEnglishTag);
    EXPECT_EQ(PickLanguage("", "", {}), kEnglishTag);
}

// Each translation in the folder is found by its file name, named by its own words, in any
// encoding a translator saves; anything else in the folder is not a translation.
TEST(LanguageChoice, ShippedLanguagesAreTheFolderTranslations) {
    test::TempFolder folder;
    EXPECT_TRUE(FindShippedLanguages(folder / "Languages").empty());
    test::WriteFile(folder / "Languages\\pl.language", "\xEF\xBB\xBF[String]\n_LanguageName=Polski\n");
    test::WriteFile(folder / "Languages\\ja.language",
                    Utf16File(L"[String]\r\n_LanguageName=\x65E5\x672C\x8A9E\r\n"));
    test::WriteFile(folder / "Languages\\xx.language", "[String]\n_Next=x\n");
    test::WriteFile(folder / "Languages\\notes.txt", "[String]\n_LanguageName=Notes\n");
    test::MakeFolders(folder / "Languages\\sub.language");
    const std::vector<ShippedLanguage> found = FindShippedLanguages(folder / "Languages");
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].tag, "ja");
    EXPECT_EQ(OwnNameOf(found[0]), "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E");
    EXPECT_EQ(found[1].tag, "pl");
    EXPECT_EQ(OwnNameOf(found[1]), "Polski");
    EXPECT_EQ(found[1].path, folder / "Languages\\pl.language");
    EXPECT_EQ(OwnNameOf(found[2]), "xx");  // no name of its own: its tag
}

// A translation's texts come first; a key it lacks or leaves empty shows the English text, and a
// key neither has shows as itself. Without a translation the English file reads as before.
TEST(LanguageChoice, TranslationFallsBackToEnglishPerKey) {
    test::TempFolder folder;
    test::WriteFile(folder / "Quillmoor.language",
                    "[String]\n_Next=&Next >\n_Cancel=Cancel\n_Stop=Stop\n_Only=English only\n");
    test::WriteFile(
        folder / "de.language",
        "\xEF\xBB\xBF; German\n[Other]\n_Cancel=wrong section\n[STRING]\n"
        "  _NEXT = &Weiter >  \n_Next=second one\n_Stop=\n_Quoted=' Abbrechen '\n_Cancel=Abbrechen\n");
    LanguageTable table;
    table.SetPath(folder / "Quillmoor.language");
    ASSERT_TRUE(table.SetTranslation(folder / "de.language"));
    EXPECT_EQ(table.Translate("_Next"), "&Weiter >");
    EXPECT_EQ(table.Translate("_Cancel"), "Abbrechen");
    EXPECT_EQ(table.Translate("_Quoted"), " Abbrechen ");
    EXPECT_EQ(table.Translate("_Stop"), "Stop");
    EXPECT_EQ(table.Translate("_Only"), "English only");
    EXPECT_EQ(table.Translate("_Nowhere"), "_Nowhere");

    EXPECT_FALSE(table.SetTranslation(folder / "absent.language"));
    EXPECT_EQ(table.Translate("_Next"), "&Next >");
    test::WriteFile(folder / "ansi.language", "[String]\n_Next=Suivant \xE0\n");  // a grave in code page 1252
    ASSERT_TRUE(table.SetTranslation(folder / "ansi.language"));
    EXPECT_EQ(table.Translate("_Next"), "Suivant \xC3\xA0");
    ASSERT_TRUE(table.SetTranslation(""));
    EXPECT_EQ(table.Translate("_Next"), "&Next >");
}

// The choice is one element of config.xml: written, replaced and removed with every other setting
// kept; a file without it, or none at all, holds no choice.
TEST(LanguageChoice, ChoiceIsStoredInTheConfiguration) {
    const win::ComApartment com;
    test::TempFolder folder;
    const std::string config = folder / "config.xml";
    EXPECT_EQ(ReadLanguageChoice(config), "");
    EXPECT_FALSE(WriteLanguageChoice(config, "de"));
    const std::string original =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<config><quillmoor><backup "
        "checked=\"1\"/></quillmoor></config>";
    test::WriteFile(config, original);
    EXPECT_EQ(ReadLanguageChoice(config), "");
    ASSERT_TRUE(WriteLanguageChoice(config, "de"));
    EXPECT_EQ(ReadLanguageChoice(config), "de");
    ASSERT_TRUE(WriteLanguageChoice(config, "pt-BR"));
    EXPECT_EQ(ReadLanguageChoice(config), "pt-BR");
    const std::string stored = test::ReadFile(config);
    EXPECT_EQ(stored.find("\"de\""), std::string::npos) << stored;
    EXPECT_NE(stored.find("<backup checked=\"1\"/>"), std::string::npos) << stored;
    ASSERT_TRUE(WriteLanguageChoice(config, ""));
    EXPECT_EQ(ReadLanguageChoice(config), "");
    EXPECT_EQ(test::ReadFile(config).find("Language"), std::string::npos);
}

namespace {

// The printf conversions of a text by the argument each takes, as "1:%s" or "2:%.2lf" ("%2$s" names
// its argument; the others take theirs in turn); "%%" is no conversion. Sorted, so a translation
// may put them in another order by naming the arguments.
std::vector<std::string> Conversions(const std::string& text) {
    std::vector<std::string> found;
    size_t next = 1;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%')
            continue;
        size_t j = i + 1;
        size_t position = 0;
        size_t k = j;
        while (k < text.size() && text[k] >= '0' && text[k] <= '9')
            position = position * 10 + static_cast<size_t>(text[k++] - '0');
        if (k > j && k < text.size() && text[k] == '$')
            j = k + 1;
        else
            position = 0;
        const size_t start = j;
        while (j < text.size() &&
               std::string_view("-+ #0123456789.*lhLIjzt").find(text[j]) != std::string_view::npos)
            ++j;
        if (j < text.size() && text[j] != '%')
            found.push_back(std::to_string(position ? position : next++) + ":%" +
                            text.substr(start, j - start + 1));
        i = j;
    }
    std::sort(found.begin(), found.end());
    return found;
}

// A counted text's forms ("one|other"), or the text itself.
std::vector<std::string> Forms(const std::string& text) {
    std::vector<std::string> forms;
    for (std::string_view form : win::Split(text, '|'))
        forms.emplace_back(form);
    return forms;
}

// How many forms a counted text has in the language: its plural rule's.
size_t FormCount(const std::string& tag) {
    switch (LocaleForLanguage(tag, "").plural) {
        case PluralRule::kOneFewMany:
            return 3;
        case PluralRule::kSingle:
            return 1;
        default:
            return 2;
    }
}

}  // namespace

// Every shipped translation gives every key of the English file a text, and nothing else; a text
// formatted with arguments keeps exactly the English conversions for the same arguments, and a
// counted text has the forms its language's plural rule chooses among.
TEST(ShippedTranslations, HaveEveryKeyWithItsConversions) {
    LanguageTexts english;
    ASSERT_TRUE(ReadLanguageFile(test::SourceFile("data/Quillmoor.language"), english));
    const std::vector<ShippedLanguage> shipped = FindShippedLanguages(test::SourceFile("data/Languages"));
    std::vector<std::string> tags;
    for (const ShippedLanguage& language : shipped)
        tags.push_back(language.tag);
    EXPECT_EQ(tags, (std::vector<std::string>{"de", "es", "fr", "ja", "pl", "pt-BR", "zh-CN"}));
    for (const ShippedLanguage& language : shipped) {
        LanguageTexts texts;
        ASSERT_TRUE(ReadLanguageFile(language.path, texts)) << language.tag;
        EXPECT_NE(OwnNameOf(language), language.tag) << "the language's own name";
        for (const auto& [key, text] : english) {
            auto translated = texts.find(key);
            if (translated == texts.end() || translated->second.empty()) {
                ADD_FAILURE() << language.tag << " has no text for " << key;
                continue;
            }
            // A counted text has as many forms as the language's rule, each with every conversion.
            const std::vector<std::string> englishForms = Forms(text), forms = Forms(translated->second);
            if (englishForms.size() > 1) {
                EXPECT_EQ(forms.size(), FormCount(language.tag)) << language.tag << ", " << key;
            }
            for (const std::string& form : forms)
                EXPECT_EQ(Conversions(form), Conversions(englishForms[0])) << language.tag << ", " << key;
        }
        for (const auto& [key, text] : texts)
            EXPECT_TRUE(english.count(key)) << language.tag << " has " << key << ", which English has not";
    }
}

namespace {

struct ShownBox {
    std::wstring caption, text;
    std::vector<std::wstring> buttons;
};

BOOL CALLBACK CollectButton(HWND child, LPARAM context) {
    wchar_t name[32] = {}, text[128] = {};
    ::GetClassNameW(child, name, 32);
    ::GetWindowTextW(child, text, 128);
    if (_wcsicmp(name, L"Button") == 0 && ::IsWindowVisible(child))
        reinterpret_cast<ShownBox*>(context)->buttons.push_back(text);
    return TRUE;
}

BOOL CALLBACK FindBox(HWND window, LPARAM context) {
    wchar_t caption[64] = {};
    ::GetWindowTextW(window, caption, 64);
    if (!::IsWindowVisible(window) || std::wstring(caption) != L"Quillmoor test")
        return TRUE;
    *reinterpret_cast<HWND*>(context) = window;
    return FALSE;
}

}  // namespace

// The real message box speaks the program's language, not the Windows display language: its
// buttons carry the texts the program gives, in the order of its style, and answer as their ids.
TEST(MessageBoxes, TheButtonsSpeakTheProgramsLanguage) {
    win::Prompts prompts;
    prompts.SetButtonTexts({"O&K", "&Abbrechen", "&Ja", "&Nein"});
    const DWORD thread = ::GetCurrentThreadId();
    ShownBox shown;
    std::thread answer([&] {
        HWND box = nullptr;
        for (int attempt = 0; attempt < 1000 && !box; ++attempt) {
            ::EnumThreadWindows(thread, FindBox, reinterpret_cast<LPARAM>(&box));
            if (!box)
                ::Sleep(10);
        }
        if (!box)
            return;
        ::EnumChildWindows(box, CollectButton, reinterpret_cast<LPARAM>(&shown));
        // "Nein", as a user would click it.
        ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
    });
    const int answered =
        prompts.MessageBox(nullptr, "Stop the search now?", "Quillmoor test", MB_YESNO | MB_ICONQUESTION);
    answer.join();
    EXPECT_EQ(answered, IDNO);
    EXPECT_EQ(shown.buttons, (std::vector<std::wstring>{L"&Ja", L"&Nein"}));
}
