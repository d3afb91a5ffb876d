// Stored Windows path texts and their paths on this host.
#include "platform/core/stored_path.h"

#include <gtest/gtest.h>

namespace zarvento {
namespace {

TEST(StoredPath, TextsBecomePaths) {
    struct Case {
        std::string stored;
        std::string path;
    };
    const Case cases[] = {
        {R"(C:\Program Files\Python\python.exe)", "/Program Files/Python/python.exe"},
        {"c:/Python39/python.exe", "/Python39/python.exe"},
        {"D:", "/"},
        {R"(\TEMP_CNC\NC_)", "/TEMP_CNC/NC_"},
        {R"(POSTPROCESSORS\sample\sample.py3)", "POSTPROCESSORS/sample/sample.py3"},
        {R"(a\\b//c\)", "a/b/c"},
        {"/usr/bin/python3", "/usr/bin/python3"},
        {R"(..\up\Токарный.py3)", "../up/Токарный.py3"},
        {"", ""},
        {"1:x", "1:x"},  // not a drive letter
    };
    for (const auto& c : cases) EXPECT_EQ(StoredPathToPath(c.stored).string(), c.path) << c.stored;
}

TEST(StoredPath, TailsStayBelowTheBase) {
    const std::filesystem::path base = "/opt/host";
    EXPECT_EQ(AppendStoredPath(base, R"(\TEMP_CNC\NC_{0A})").string(), "/opt/host/TEMP_CNC/NC_{0A}");
    EXPECT_EQ(AppendStoredPath(base, "input.tmp").string(), "/opt/host/input.tmp");
    EXPECT_EQ(AppendStoredPath(base, R"(\)").string(), "/opt/host");
    EXPECT_EQ(AppendStoredPath(base, R"(E:\other\x.rdp)").string(), "/other/x.rdp");
}

TEST(StoredPath, PathsBecomeStoredTextsAndBack) {
    for (const char* text : {R"(\TEMP_CNC\NC_{1})", R"(POSTPROCESSORS\Фанук.py3)", R"(a\b)"}) {
        EXPECT_EQ(PathToStoredText(StoredPathToPath(text)), text);
    }
    EXPECT_EQ(PathToStoredText(StoredPathToPath(R"(C:\Python39\python.exe)")), R"(\Python39\python.exe)");
}

TEST(StoredPath, DriveLetters) {
    EXPECT_TRUE(HasDriveLetter("C:"));
    EXPECT_TRUE(HasDriveLetter("z:\\"));
    EXPECT_FALSE(HasDriveLetter("C"));
    EXPECT_FALSE(HasDriveLetter("\\C:"));
    EXPECT_FALSE(HasDriveLetter("Ж:"));
}

}  // namespace
}  // namespace zarvento
