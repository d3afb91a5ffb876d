// The reference client's localised texts: the fallbacks of the shared
// localisation folder and of the library's own, and the reading of a file.
#include <gtest/gtest.h>

#include "catalogs/integrator.h"
#include "materials_test_support.h"
#include "platform/core/stored_path.h"
#include "platform/processes/host_environment.h"

namespace zarvento {
namespace {

class LocalizationTest : public test::CatalogTest {
protected:
    void SetUp() override {
        CatalogTest::SetUp();
        SetCommonProgramFilesFolder(dir / "Common Files");
        SetIntegratorLibraryFile(dir / "lib" / "libzarvento.so");
    }
    std::filesystem::path Shared() const { return dir / "Common Files" / "DEDEV Shared" / "Localization"; }
    std::filesystem::path Own() const { return dir / "lib" / "Localization"; }
    void Common(const std::string& language, const std::string& text) {
        test::WriteFile(
            Shared() / language / "Dedev.Common.xml",
            test::Items("<item id=\"Common\">" + text + "</item><item id=\"Key\">common " + text + "</item>"));
    }
    void Named(const std::filesystem::path& folder, const std::string& language, const std::string& text) {
        test::WriteFile(folder / language / "app.xml", test::Items("<item id=\"Key\">" + text + "</item>"));
    }
    static std::filesystem::path Folder(const Integrator& i) { return StoredPathToPath(i.sLocFolder); }

    test::EnvironmentScope env;
};

TEST_F(LocalizationTest, TheNamedFileOverridesTheCommonOneInTheLanguagesFolder) {
    Common("ru-RU", "ru");
    Named(Shared(), "ru-RU", "named ru");
    Common("en-US", "en");
    Named(Shared(), "en-US", "named en");
    Integrator i;
    i.LoadLocalization("app", "ru-RU");
    EXPECT_EQ(i.sLanguage, "ru-RU");
    EXPECT_EQ(i.sLocName, "app");
    EXPECT_EQ(Folder(i), Shared());
    EXPECT_EQ(i.sLocFolder.back(), '\\');
    EXPECT_EQ(i.GetText("Common"), "ru");
    EXPECT_EQ(i.GetText("Key"), "named ru");
    EXPECT_EQ(i.GetText("Missing"), "Missing");

    // A language is found whatever its case, and taken as the folder spells it.
    i.LoadLocalization("app", "EN-us");
    EXPECT_EQ(i.sLanguage, "en-US");
    EXPECT_EQ(i.GetText("Key"), "named en");
}

TEST_F(LocalizationTest, AMissingLanguageFallsBackToRussianThenToEnglishThenToAnyLanguage) {
    struct Case {
        std::vector<std::string> folders;
        std::string language;
    };
    const Case cases[] = {
        {{"en-US", "ru-RU"}, "ru-RU"}, {{"de-DE", "en-US", "fr"}, "en-US"},
        {{"de-DE", "en", "fr"}, "en"}, {{"de-DE", "fr"}, "fr"},
        {{"xx-YY", "zz"}, "zz"},       {{"de-DE"}, "de-DE"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(Shared());
        for (const std::string& folder : c.folders) Common(folder, folder);
        Integrator i;
        i.LoadLocalization("app", "tr-TR");
        EXPECT_EQ(i.sLanguage, c.language) << c.folders.front();
        EXPECT_EQ(i.GetText("Common"), c.language);
    }
}

TEST_F(LocalizationTest, TheNamedFileIsLookedForBesideTheLibraryWhenTheSharedFolderLacksIt) {
    Common("ru-RU", "ru");
    Named(Own(), "ru-RU", "own ru");
    Integrator i;
    i.LoadLocalization("app", "ru-RU");
    EXPECT_EQ(Folder(i), Own());
    EXPECT_EQ(i.GetText("Common"), "ru");
    EXPECT_EQ(i.GetText("Key"), "own ru");

    std::filesystem::remove_all(Own());
    i.LoadLocalization("app", "ru-RU");
    EXPECT_EQ(i.sLocFolder, "");
    EXPECT_EQ(i.sLanguage, "ru-RU");
    EXPECT_EQ(i.GetText("Key"), "common ru");
}

TEST_F(LocalizationTest, WithoutAnyLanguageFolderTheTextsAreTheirKeys) {
    Named(Own(), "ru-RU", "own ru");  // never reached: the shared folder decides the language
    Integrator i;
    i.LoadLocalization("app", "ru-RU");
    EXPECT_EQ(i.sLocFolder, "");
    EXPECT_EQ(i.sLanguage, "");
    EXPECT_TRUE(i.mTexts.empty());
    EXPECT_EQ(i.GetText("Key"), "Key");

    SetCommonProgramFilesFolder(std::nullopt);
    i.LoadLocalization("app", "ru-RU");
    EXPECT_EQ(i.GetText("Key"), "Key");

    Common("ru-RU", "ru");
    SetCommonProgramFilesFolder(dir / "Common Files");
    i.LoadLocalization("", "ru-RU");  // no name: nothing is looked for
    EXPECT_TRUE(i.mTexts.empty());
    EXPECT_EQ(i.sLanguage, "ru-RU");
}

TEST_F(LocalizationTest, WithoutALanguageTheUsersInterfaceLanguageIsTaken) {
    Common("ru-RU", "ru");
    Common("en-GB", "gb");
    env.Set("LANG", "en_GB.UTF-8");
    Integrator i;
    i.LoadLocalization("app", "");
    EXPECT_EQ(i.sLanguage, "en-GB");
    EXPECT_EQ(i.GetText("Common"), "gb");
}

TEST_F(LocalizationTest, ItemsAreReadByIdWithLineBreaksAndTheLastOneWins) {
    const std::filesystem::path file = dir / "texts.xml";
    test::WriteFile(file, test::Items("  <item id=\"a\">first</item>\n"
                                      "  <item id=\"b\">two\\nlines and a \\\\n</item>\n"
                                      "  <item>no id</item><item id=\"\">empty id</item>\n"
                                      "  <item id=\"a\">  second &amp; last  </item>\n"
                                      "  <other id=\"c\">not an item</other>\n"
                                      "  <item id=\"d\">with <b>markup</b> inside</item>\n"));
    Integrator i;
    i.LoadXmlStrings(file.string());
    EXPECT_EQ(i.mTexts.size(), 3u);
    EXPECT_EQ(i.GetText("a"), "  second & last  ");
    EXPECT_EQ(i.GetText("b"), "two\nlines and a \\\n");
    EXPECT_EQ(i.GetText("d"), "with markup inside");
    EXPECT_EQ(i.GetText(""), "");

    // Files that are missing or are no XML add nothing, and loading adds to
    // what is there.
    i.LoadXmlStrings((dir / "missing.xml").string());
    test::WriteFile(dir / "broken.xml", "<strings><item id=\"x\">open");
    i.LoadXmlStrings((dir / "broken.xml").string());
    test::WriteFile(dir / "empty.xml", "");
    i.LoadXmlStrings((dir / "empty.xml").string());
    EXPECT_EQ(i.mTexts.size(), 3u);
}

TEST_F(LocalizationTest, AnExternalEntityIsNeverRead) {
    test::WriteFile(dir / "secret.txt", "secret");
    const std::filesystem::path file = dir / "entity.xml";
    test::WriteFile(file, "<?xml version=\"1.0\"?>\n<!DOCTYPE strings [<!ENTITY x SYSTEM \"" +
                              (dir / "secret.txt").string() +
                              "\">]>\n<strings><item id=\"a\">[&x;]</item></strings>\n");
    Integrator i;
    i.LoadXmlStrings(file.string());
    EXPECT_EQ(i.GetText("a").find("secret"), std::string::npos) << i.GetText("a");
}

TEST(ReplaceAllTest, ReplacesLeftToRightAndAgainWhileTheResultCanHoldThePattern) {
    struct Case {
        std::string text, pattern, replacement, result;
    };
    const Case cases[] = {
        {"a\\nb\\n", "\\n", "\n", "a\nb\n"},
        {"aaaa", "aa", "a", "a"},
        {"xabx", "ab", "b", "xbx"},
        {"aab", "ab", "b", "b"},
        {"abc", "b", "bb", "abbc"},  // the replacement holds the pattern: one pass
        {"abc", "x", "y", "abc"},
        {"abc", "b", "b", "abc"},
        {"abc", "", "y", "abc"},
        {"", "a", "b", ""},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        ReplaceAll(text, c.pattern, c.replacement);
        EXPECT_EQ(text, c.result) << c.text << " / " << c.pattern;
    }
}

}  // namespace
}  // namespace zarvento
