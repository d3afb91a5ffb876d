// The plan's session directory: made, swept, kept while live, removed.
#include <filesystem>
#include <fstream>

#include "catalogs/param_tool.h"
#include "plan/spid.h"
#include "plan_test_support.h"
#include "platform/core/guid.h"
#include "platform/core/host_faults.h"

namespace zarvento {
namespace {

namespace fs = std::filesystem;

void Touch(const fs::path& file) { std::ofstream(file) << "x"; }

class SessionDirTest : public test::PlanTest {
protected:
    fs::path Root() const { return folder->Path() / "TEMP_CNC"; }
    fs::path MakeSession(const std::string& name) {
        fs::create_directories(Root() / name);
        return Root() / name;
    }
};

TEST_F(SessionDirTest, FirstPlanCreatesTheRootAndItsLockedDirectoryWithoutAMessage) {
    ASSERT_FALSE(fs::exists(Root()));
    CSPID* spid = GetSPID();
    const fs::path session = spid->sessionDirectory;
    EXPECT_EQ(session.parent_path(), Root());
    const std::string name = session.filename().string();
    ASSERT_EQ(name.size(), 41u);
    EXPECT_EQ(name.substr(0, 3), "NC_");
    EXPECT_TRUE(IsGuidText(name.substr(3)));
    EXPECT_TRUE(fs::is_directory(session));
    EXPECT_TRUE(DirectoryLock::IsLocked(session));
    EXPECT_EQ(ToolSessionDirectory(), session.string());
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(GetSPID(), spid);
}

TEST_F(SessionDirTest, SweepRemovesStaleSessionsAndLeavesOthers) {
    const fs::path stale = MakeSession("NC_" + NewGuidText());
    Touch(stale / "input.tmp");
    Touch(stale / "Tool_1.rdp");
    Touch(stale / DirectoryLock::kFileName);  // its holder died
    const fs::path keepsShortFile = MakeSession("NC_" + NewGuidText());
    Touch(keepsShortFile / "LSC.txt");
    Touch(keepsShortFile / "path.tmp");
    const fs::path shortName = MakeSession("NC_" + NewGuidText().substr(1));  // 40 characters
    Touch(shortName / "input.tmp");
    const fs::path other = MakeSession("XX_" + NewGuidText());
    Touch(Root() / ("NC_" + NewGuidText()));  // a file of a session's name

    GetSPID();
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(keepsShortFile / "LSC.txt"));
    EXPECT_FALSE(fs::exists(keepsShortFile / "path.tmp"));
    EXPECT_TRUE(fs::exists(shortName / "input.tmp"));
    EXPECT_TRUE(fs::exists(other));
    int files = 0;
    for (const auto& entry : fs::directory_iterator(Root())) files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 1);
}

TEST_F(SessionDirTest, LiveSessionOfAnotherPlanIsNotSwept) {
    const fs::path live = MakeSession("NC_" + NewGuidText());
    Touch(live / "input.tmp");
    DirectoryLock lock;
    ASSERT_TRUE(lock.Acquire(live));
    GetSPID();
    EXPECT_TRUE(fs::exists(live / "input.tmp"));
}

TEST_F(SessionDirTest, DeleteSPIDRemovesTheFilesAndTheDirectory) {
    const fs::path session = GetSPID()->sessionDirectory;
    for (const char* name :
         {"Tool_1.rdp", "Tool_12.r3d", "Device_2.rdp", "input.tmp", "output.tmp", "path.tmp", "LSC.txt", "Rastr.tif"})
        Touch(session / name);
    DeleteSPID();
    EXPECT_EQ(ExistingSPID(), nullptr);
    EXPECT_FALSE(fs::exists(session));
    EXPECT_EQ(ToolSessionDirectory(), "");
    DeleteSPID();  // no instance: nothing happens
    EXPECT_EQ(ExistingSPID(), nullptr);
}

TEST_F(SessionDirTest, AForeignFileKeepsTheDirectoryButNotTheKnownFiles) {
    const fs::path session = GetSPID()->sessionDirectory;
    Touch(session / "input.tmp");
    Touch(session / "notes.doc");
    DeleteSPID();
    EXPECT_FALSE(fs::exists(session / "input.tmp"));
    EXPECT_TRUE(fs::exists(session / "notes.doc"));
    // Stale now: the next plan's sweep empties it.
    GetSPID();
    EXPECT_FALSE(fs::exists(session));
}

TEST_F(SessionDirTest, BaseFolderThatCannotBeCreatedGivesOneMessage) {
    SetHostFolder(folder->Path() / "missing" / "deeper");
    CSPID* spid = GetSPID();
    EXPECT_EQ(Messages(), std::vector<std::string>{"Ошибка создания директории сессии"});
    EXPECT_FALSE(spid->sessionDirectory.empty());
    DeleteSPID();
    EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(SessionDirTest, EachNewPlanHasItsOwnDirectory) {
    const fs::path first = GetSPID()->sessionDirectory;
    DeleteSPID();
    const fs::path second = GetSPID()->sessionDirectory;
    EXPECT_NE(first, second);
    EXPECT_FALSE(fs::exists(first));
    EXPECT_TRUE(fs::exists(second));
}

}  // namespace
}  // namespace zarvento
