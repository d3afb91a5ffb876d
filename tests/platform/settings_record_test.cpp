// The settings record: defaults and the raw settings file.
#include "platform/documents/settings_record.h"

#include <fstream>

#include "test_support.h"

namespace zarvento {
namespace {

class SettingsRecordTest : public test::CleanStateTest {
protected:
    std::filesystem::path file =
        std::filesystem::temp_directory_path() /
        ("zarvento_settings_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
         ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".cfg");
    void TearDown() override {
        std::filesystem::remove(file);
        CleanStateTest::TearDown();
    }
};

TEST_F(SettingsRecordTest, Defaults) {
    const SettingsRecord& s = SettingsRecord::Global();
    EXPECT_EQ(s.Colour(5), Rgb(255, 150, 0));
    EXPECT_EQ(s.Colour(9), 0x00FF00u);
    EXPECT_EQ(s.rapidSpeed, 5.0);
    EXPECT_EQ(s.xOutputMode, 0);
    EXPECT_EQ(s.editorPath, "C:\\Windows\\notepad.exe");
    EXPECT_EQ(SettingsRecord::DefaultPythonPath(16), "C:\\Python26\\Python.exe");
    EXPECT_EQ(SettingsRecord::DefaultPythonPath(21),
              "C:\\ProgramData\\DEDEV\\REDOZU-3D\\21\\Python 3\\App\\python.exe");
    EXPECT_EQ(SettingsRecord::DefaultPythonPath(24), "");
}

TEST_F(SettingsRecordTest, FileRoundTripKeepsStoredFieldsOnly) {
    SettingsRecord s;
    s.SetDefaults();
    s.storedValue2 = 7;
    s.rapidSpeed = 12.5;
    s.toolChangeTime = 0.4;
    s.spindleTime = 0.3;
    s.pythonPath = "/usr/bin/python3";
    s.editorPath = "C:\\Редактор\\edit.exe";
    s.xOutputMode = 2;
    s.accuracy = 0.001;
    s.colours[0] = 0x123456;
    s.transparency = 10;
    ASSERT_TRUE(s.Save(file));
    EXPECT_EQ(std::filesystem::file_size(file), SettingsRecord::kFileSize);

    SettingsRecord r;
    r.SetDefaults();
    ASSERT_TRUE(r.Load(file));
    EXPECT_EQ(r.storedValue2, 7);
    EXPECT_EQ(r.rapidSpeed, 12.5);
    EXPECT_EQ(r.toolChangeTime, 0.4);
    EXPECT_EQ(r.spindleTime, 0.3);
    EXPECT_EQ(r.pythonPath, "/usr/bin/python3");
    EXPECT_EQ(r.editorPath, "C:\\Редактор\\edit.exe");
    EXPECT_EQ(r.xOutputMode, 2);
    EXPECT_EQ(r.accuracy, 0.001);
    EXPECT_EQ(r.Colour(1), Rgb(0, 0, 0));
    EXPECT_EQ(r.transparency, 50.0);
}

TEST_F(SettingsRecordTest, MissingOrShortFileKeepsDefaults) {
    SettingsRecord r;
    r.SetDefaults();
    EXPECT_FALSE(r.Load(file));
    std::ofstream(file, std::ios::binary) << "abc";
    EXPECT_FALSE(r.Load(file));
    EXPECT_EQ(r.rapidSpeed, 5.0);
    EXPECT_EQ(r.xOutputMode, 0);
}

}  // namespace
}  // namespace zarvento
