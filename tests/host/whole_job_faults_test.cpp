// The program's whole jobs under the host-fault sweep: the main job, the
// export, a STEP import, a panel's OK and the materials reference's query,
// each run through its entry point while every host call it makes fails in
// turn (at its first call). A run the failure stops says so (the failed call
// or what could not be saved), ends with a non-zero exit, lets nothing cross
// its entry point, and leaves the document and the older outputs as they
// were; a run that ends well in spite of it (a failure it may drop, such as
// letting an iterator go) leaves what a run without one leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "catalogs/integrator.h"
#include "catalogs/tool_model_text.h"
#include "host/document_jobs.h"
#include "host/program_job.h"
#include "host/script_run.h"
#include "host_fault_sweep.h"
#include "platform/documents/document_dump.h"
#include "platform/documents/document_file.h"
#include "platform/processes/component_registry.h"
#include "platform/processes/module.h"
#include "test_parts.h"
#include "test_support.h"

namespace zarvento::app {
namespace {

namespace fs = std::filesystem;

constexpr const char* kProfile =
    "LineSeg( 0,0, 0,-10, 1 );\nLineSeg( 0,-10, -30,-10, 1 );\nLineSeg( -30,-10, -30,-15, 1 );\n"
    "LineSeg( -30,-15, -50,-15, 1 );\nLineSeg( -50,-15, -50,0, 1 );\n";
// A shaft with two coordinate systems, planned with a roughing: its feed
// and speed the tool's, and `fields` more of its panel (the part's material,
// when `part` gives one, may go into its formulas).
std::string MakePart(const std::string& part, const std::string& fields) {
    return "lsc \"ЛСК-1\"\nlsc \"ЛСК-2\"\nprofile shaft.profile\n" + part +
           "panel lsc\n pick ЛСК-1\n set \"Система ЧПУ (постпроцессор)\" ISO_Lathe\n ok\nend\ncoordinate-system\n"
           "answer spid ok L=55 D=34 Z=2 positions=4 x0=40 z0=30 tool1=\"Резец\" model1=roughing_tool.rdp\n"
           "plan-data\n"
           "answer turn ok name=\"Черновая\" tool=1 work=2-3 allowance=0.5 cycle.P3=1 cycle.I=2 feed=TOOL.FEED1 "
           "spin=TOOL.SPIN" +
           fields + "\ncreate 1\n";
}
constexpr const char* kMaterial = "part material=\"Сталь 40Х ГОСТ 4543-2016\" location=steel/40Х\n";

class WorkingFolder {
public:
    explicit WorkingFolder(const fs::path& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
    ~WorkingFolder() { fs::current_path(previous_); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    fs::path previous_;
};

struct JobRun {
    int exit = -1;
    std::string words;                   // what it printed, both streams
    std::optional<std::string> escaped;  // what crossed its entry point
};

// A command of the program, with the installed post-processors and export.
JobRun RunJob(std::vector<std::string> args, int (*command)(int, char**)) {
    test::RegisterTreeControl(ZARVENTO_TREE_CONTROL_MODULE);
    SetModuleDirectory(fs::path(ZARVENTO_PROGRAM_DIR));
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    JobRun run;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    try {
        run.exit = command(static_cast<int>(argv.size()), argv.data());
    } catch (const std::exception& e) {
        run.escaped = e.what();
    }
    run.words = testing::internal::GetCapturedStdout();
    run.words += testing::internal::GetCapturedStderr();
    return run;
}

std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The document's records, each whole, in the order of their texts: a save
// writes a record it rewrote last.
std::string Records(const fs::path& document) {
    const std::string dump = DumpDocumentRecords(*DocumentFile::Read(document.string()));
    std::vector<std::string> records;
    for (std::size_t at = 0; at < dump.size();) {
        std::size_t next = dump.find("\nrecord ", at);
        next = next == std::string::npos ? dump.size() : next + 1;
        records.push_back(dump.substr(at, next - at));
        at = next;
    }
    std::sort(records.begin(), records.end());
    std::string all;
    for (const std::string& r : records) all += r;
    return all;
}

// The files under the folder, by path, and the bytes of those named.
std::map<std::string, std::string> Files(const std::set<std::string>& compared) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator("."))
        if (e.is_regular_file()) {
            const std::string name = e.path().lexically_relative(".").string();
            files[name] = compared.count(name) ? Bytes(e.path()) : std::string();
        }
    return files;
}

struct SweptJob {
    std::function<JobRun()> run;
    // Puts the folder back as it was before the job, before each run.
    std::function<void()> reset;
    // Files the job writes, compared whole with a run without failures.
    std::set<std::string> products;
    // Files from before the job that it must leave as they are.
    std::vector<std::string> older;
    // The job saves the document after a step that failed (a script run):
    // it then holds what it held before or what the whole job makes.
    bool savesWhatRan = false;
    // What the job needs in place before each run (a registration).
    std::function<void()> before;
    // The job's own words for a failure that it reports without the host's
    // text (beside the save's refusal of a record not written whole).
    std::vector<std::string> ownWords;
    // Calls the job must make: what the sweep is for.
    std::set<std::string> reached;
};

// Each host call the job makes fails in turn; every run is checked.
void SweepEachHostCall(const SweptJob& job) {
    job.reset();
    if (job.before) job.before();
    JobRun last;
    const std::set<std::string> calls = test::HostCallsOf([&] { last = job.run(); });
    ASSERT_EQ(last.exit, kExitOk) << last.words;
    for (const std::string& call : job.reached) EXPECT_EQ(calls.count(call), 1u) << call << " is not made";
    const std::string goodRecords = Records("part.rdp");
    const std::map<std::string, std::string> good = Files(job.products);
    job.reset();
    const std::string records = Records("part.rdp");
    std::map<std::string, std::string> older;
    for (const std::string& file : job.older) older[file] = Bytes(file);

    test::FaultSweepOptions options;
    options.before = [&] {
        job.reset();
        if (job.before) job.before();
    };
    test::FailEachCall(
        {calls.begin(), calls.end()}, E_FAIL_, [&] { last = job.run(); },
        [&](const test::FaultRun& run) {
            EXPECT_FALSE(last.escaped) << *last.escaped;
            EXPECT_FALSE(run.thrown);
            if (!run.reached || last.escaped) return;
            const std::string now = Records("part.rdp");
            if (last.exit == kExitOk) {
                EXPECT_EQ(now, goodRecords) << "the document differs from the one a whole run leaves\n" << last.words;
                EXPECT_EQ(Files(job.products), good) << "the outputs differ from those of a whole run\n" << last.words;
                return;
            }
            for (const auto& [file, bytes] : older) EXPECT_EQ(Bytes(file), bytes) << file << " changed";
            bool named = last.words.find("host call " + run.call + " failed") != std::string::npos ||
                         last.words.find("could not be written whole") != std::string::npos;
            for (const std::string& words : job.ownWords) named = named || last.words.find(words) != std::string::npos;
            EXPECT_TRUE(named) << "the failure is not named:\n" << last.words;
            if (job.savesWhatRan)
                EXPECT_TRUE(now == records || now == goodRecords) << "the document was saved half changed\n"
                                                                  << last.words;
            else
                EXPECT_EQ(now, records) << "the document changed\n" << last.words;
        },
        options);
}

class WholeJobFaultsTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        working = std::make_unique<WorkingFolder>(folder.Path());
        ToolModelText::Convert((source / "examples" / "tools" / "roughing_tool.txt").string(), "roughing_tool.rdp");
        std::ofstream("shaft.profile") << kProfile;
    }
    void TearDown() override {
        working.reset();
        SetModuleDirectory(std::nullopt);
        CleanStateTest::TearDown();
    }

    // part.rdp, planned: its bytes, which each run puts back.
    void MakePlannedPart(const std::string& part = "", const std::string& fields = "") {
        std::ofstream("make.zsc") << MakePart(part, fields);
        const JobRun made = RunJob({"zarvento", "run", "--new", "--replace", "part.rdp", "make.zsc"}, RunScript);
        ASSERT_EQ(made.exit, kExitOk) << made.words;
        planned = Bytes("part.rdp");
    }
    void PutThePartBack() const { std::ofstream("part.rdp", std::ios::binary | std::ios::trunc) << planned; }

    const fs::path source = fs::path(test::FixturePath("")) / ".." / "..";
    test::TempDir folder;
    std::unique_ptr<WorkingFolder> working;
    std::string planned;
};

TEST_F(WholeJobFaultsTest, TheMainJob) {
    MakePlannedPart();
    SweptJob job;
    job.run = [] { return RunJob({"zarvento", "program", "part.rdp", "-o", "part.nc"}, RunProgramJob); };
    job.reset = [this] {
        PutThePartBack();
        std::ofstream("part.nc", std::ios::trunc) << "older program\n";
    };
    job.products = {"part.nc"};
    job.older = {"part.nc"};
    job.reached = {"HostDocuments.Open", "WriteFileAtomic", "ReplaceFile"};
    SweepEachHostCall(job);
}

TEST_F(WholeJobFaultsTest, TheExport) {
    MakePlannedPart();
    std::ofstream("part.nc") << "older program\n";
    SweptJob job;
    job.run = [] { return RunJob({"zarvento", "export", "part.rdp", "plan.xml"}, RunExportJob); };
    job.reset = [this] {
        PutThePartBack();
        std::error_code ec;
        fs::remove_all("plan", ec);
        fs::remove("plan.xml", ec);
    };
    job.products = {"plan.xml", "plan/plan.nc"};
    job.older = {"part.nc", "roughing_tool.rdp"};
    job.reached = {"HostDocuments.Open", "WriteFileAtomic", "DocumentFile.Replace", "Drawing.AddModelView"};
    SweepEachHostCall(job);
}

TEST_F(WholeJobFaultsTest, AStepImport) {
    MakePlannedPart();
    test::SteppedShaft().WriteStep("shaft.step", "Вал");
    std::ofstream("step.zsc") << "step shaft.step\n";
    SweptJob job;
    job.run = [] { return RunJob({"zarvento", "run", "part.rdp", "step.zsc"}, RunScript); };
    job.reset = [this] { PutThePartBack(); };
    job.older = {"shaft.step"};
    job.reached = {"PartModel.ImportStep", "HostPart.SetBody", "DocumentFile.Replace"};
    SweepEachHostCall(job);
}

// The coordinate-system panel on the host, its other system picked and OK.
TEST_F(WholeJobFaultsTest, APanelsOk) {
    MakePlannedPart();
    std::ofstream("panel.zsc") << "panel lsc\n pick ЛСК-2\n ok\nend\ncoordinate-system\n";
    SweptJob job;
    job.run = [] { return RunJob({"zarvento", "run", "part.rdp", "panel.zsc"}, RunScript); };
    job.reset = [this] { PutThePartBack(); };
    job.savesWhatRan = true;
    // A tree control that cannot be made fails the run that would show it.
    job.ownWords = {"the plan tree cannot be shown"};
    job.reached = {"PropertyManager.Setup", "Document3D.RunProcess", "HostRecord.Write", "DocumentFile.Replace"};
    SweepEachHostCall(job);
}

class MaterialsJobTest : public WholeJobFaultsTest {
protected:
    void SetUp() override {
        WholeJobFaultsTest::SetUp();
        if (const char* config = std::getenv("XDG_CONFIG_HOME")) savedConfig = config;
        ::setenv("XDG_CONFIG_HOME", (folder.Path() / "config").c_str(), 1);
        // The hardness of Сталь 40Х, "207", made "217" in its record.
        std::string bytes = Bytes(kGood);
        const std::string hardness = "steel/40ХV92CBFA00C9A011D69930000021274E8E207";
        const std::size_t at = bytes.find(hardness);
        ASSERT_NE(at, std::string::npos);
        bytes[at + hardness.size() - 2] = '1';
        std::ofstream("damaged.db", std::ios::binary) << bytes;
        // Planned for Сталь 45 with the machine's cycle, its depth of cut
        // the material's hardness over 100; then given Сталь 40Х while the
        // reference's database was missing: the material is not read yet,
        // and each job reads it again.
        Register(kGood);
        MakePlannedPart("part material=\"Сталь 45 ГОСТ 1050-2013\" location=steel/45\n", kDepthFromHardness);
        Register(Missing());
        std::ofstream("material.zsc") << kMaterial << "synchronize\n";
        const JobRun given = RunJob({"zarvento", "run", "part.rdp", "material.zsc"}, RunScript);
        ASSERT_NE(given.words.find("Не удалось установить соединение со справочником материалов"), std::string::npos)
            << given.words;
        planned = Bytes("part.rdp");
    }
    void TearDown() override {
        if (savedConfig)
            ::setenv("XDG_CONFIG_HOME", savedConfig->c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
        WholeJobFaultsTest::TearDown();
    }
    // The reference over a database, in the host's registry until the
    // process state is reset (a job's end).
    static void Register(const std::string& database) {
        SetIntegratorLibraryFile(fs::current_path() / "libzarvento.so");
        ClassRegistration entry;
        entry.clsid = Integrator::kServerClassId;
        entry.typeName = "Материалы и Сортаменты";
        entry.localServer = "\"" MATERIALS_REFERENCE "\" --database \"" + database + "\"";
        ComponentRegistry::RegisterClass(entry);
    }

    static std::string Missing() { return (fs::current_path() / "missing.db").string(); }
    static std::string Damaged() { return (fs::current_path() / "damaged.db").string(); }

    static inline const std::string kGood = MATERIALS_DATA "/materials.db";
    static constexpr const char* kDepthFromHardness = " output=cycle cycle._DEPTH=MTRL.HB/100";
    std::optional<std::string> savedConfig;
};

// A damaged database once made the hardness of Сталь 40Х 217 (the steel
// table's figure) where the reference says 207, and a missing one let the
// steel table stand in, both without a word. A formula that needs the
// hardness now fails: the operation holds the message and the main job
// writes nothing; with the reference answering, the program has its 207.
TEST_F(MaterialsJobTest, TheMainJobWritesWhatTheReferenceSaysOrNothing) {
    for (const std::string& database : {Damaged(), Missing()}) {
        SCOPED_TRACE(database);
        std::ofstream("part.nc", std::ios::trunc) << "older program\n";
        Register(database);
        const JobRun run = RunJob({"zarvento", "program", "part.rdp", "-o", "part.nc"}, RunProgramJob);
        EXPECT_EQ(run.exit, kExitCommandFailed) << run.words;
        EXPECT_NE(run.words.find("_DEPTH = MTRL.HB/100 не вычисляется"), std::string::npos) << run.words;
        EXPECT_NE(run.words.find("no program is written"), std::string::npos) << run.words;
        EXPECT_EQ(Bytes("part.nc"), "older program\n");
    }
    Register(kGood);
    const JobRun run = RunJob({"zarvento", "program", "part.rdp", "-o", "part.nc"}, RunProgramJob);
    ASSERT_EQ(run.exit, kExitOk) << run.words;
    EXPECT_NE(Bytes("part.nc").find("G71 U2.07"), std::string::npos) << Bytes("part.nc");

    // A feed read from the material when the operation is made: refused
    // with the reference damaged, 0.207 with it answering.
    std::ofstream("feed.zsc") << "answer turn ok name=\"Чистовая\" tool=1 work=2-3 feed=MTRL.HB/1000 spin=TOOL.SPIN\n"
                                 "create 2\n";
    Register(Damaged());
    JobRun made = RunJob({"zarvento", "run", "--no-save", "part.rdp", "feed.zsc"}, RunScript);
    EXPECT_EQ(made.exit, kExitCommandFailed) << made.words;
    EXPECT_EQ(made.words.find("\"Spod\" R8 0.217"), std::string::npos) << made.words;
    Register(kGood);
    made = RunJob({"zarvento", "run", "--no-save", "part.rdp", "feed.zsc"}, RunScript);
    EXPECT_EQ(made.exit, kExitOk) << made.words;
    EXPECT_NE(made.words.find("\"Spod\" R8 0.207"), std::string::npos) << made.words;
}

TEST_F(MaterialsJobTest, TheReferencesQuery) {
    SweptJob job;
    job.run = [] { return RunJob({"zarvento", "program", "part.rdp", "-o", "part.nc"}, RunProgramJob); };
    job.reset = [this] {
        PutThePartBack();
        std::ofstream("part.nc", std::ios::trunc) << "older program\n";
    };
    job.before = [] { Register(kGood); };
    job.ownWords = {"Не удалось установить соединение со справочником материалов"};
    job.reached = {"ComponentRegistry.CreateInstance", "LocalServer.Call", "HostPart.Properties"};
    job.products = {"part.nc"};
    job.older = {"part.nc"};
    SweepEachHostCall(job);
}

// A backslash in the export's name made a folder of what stood before it.
TEST_F(WholeJobFaultsTest, AnExportNameWithABackslashIsRefused) {
    MakePlannedPart();
    fs::create_directory("a");
    const JobRun run = RunJob({"zarvento", "export", "part.rdp", "a\\b.xml"}, RunExportJob);
    EXPECT_EQ(run.exit, kExitUsage) << run.words;
    EXPECT_NE(run.words.find("holds a backslash"), std::string::npos) << run.words;
    EXPECT_TRUE(fs::is_empty("a"));
    EXPECT_FALSE(fs::exists("a\\b.xml"));
}

}  // namespace
}  // namespace zarvento::app
