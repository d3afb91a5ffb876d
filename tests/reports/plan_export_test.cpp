// The export to TECHPLAN: the names built from the chosen file, the script's
// keywords, a new file written directly with its folder, an existing one
// merged by a fixture script whose keywords are obeyed in the fixed order,
// every way the script can fail to answer (never an earlier run's answer),
// and the flags and the post-processor put back on every exit.
#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "nc/modal_state.h"
#include "operations/turn.h"
#include "operations_test_support.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/busy_flag.h"
#include "platform/core/host_faults.h"
#include "platform/core/messages.h"
#include "platform/dialogs/file_dialogs.h"
#include "platform/documents/host_documents.h"
#include "platform/documents/settings_record.h"
#include "platform/processes/module.h"
#include "post/post_processor.h"
#include "post/python_run.h"
#include "reports/plan_export.h"
#include "reports/statistics_dialog.h"

namespace zarvento {
namespace {

namespace fs = std::filesystem;

constexpr const char* kTwoSteps =
    "LineSeg( 5,-15, -10,-15, 1 );\nLineSeg( -10,-15, -10,-20, 1 );\nLineSeg( -10,-20, -30,-20, 1 );\n"
    "LineSeg( -30,-20, -30,-30, 1 );\n";

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> Files(const fs::path& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) return names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The root element's name of an XML file, or empty when it does not parse.
std::string XmlRoot(const fs::path& file) {
    xmlDocPtr xml = xmlReadFile(file.c_str(), nullptr, XML_PARSE_NONET);
    if (!xml) return {};
    std::string name = reinterpret_cast<const char*>(xmlDocGetRootElement(xml)->name);
    xmlFreeDoc(xml);
    return name;
}

class PlanExportTest : public test::OperationTest {
protected:
    void SetUp() override {
        test::OperationTest::SetUp();
        SettingsRecord::Global().SetDefaults();
        // The export's own limit waits for a person at a console: a script
        // of these tests ends by itself within the program's limit.
        PythonRunTimeouts::Current().exportMs = test::kProductScriptLimitMs;
        runner->Part(kTwoSteps);
        for (int i : {0, 1}) GetSPID()->GetTool(i)->isModelLoaded = true;
        ASSERT_TRUE(post.ReadPostProcessorDescription());
        GetSPID()->SetPostProcessor(&post);
        runner->AddKind(kTurnMnogoProhod, kTwoSteps);
        runner->Run();
        ASSERT_FALSE(runner->Operation(0).HasMessage()) << runner->Operation(0).messageText;
        modelFile = folder.Path() / "Вал.rdp";
        part->SaveAs(modelFile.string());
        fs::create_directories(module / "EXPORT");
        fs::copy_file(test::FixturePath("../../EXPORT/TECHPLAN.py3"), module / "EXPORT" / "TECHPLAN.py3");
        SetModuleDirectory(module);
        temporary = GetSPID()->sessionDirectory;
        ASSERT_FALSE(temporary.empty());
        MessageLog::Instance().Clear();
    }
    void TearDown() override {
        GetSPID()->SetPostProcessor(nullptr);
        SetModuleDirectory(std::nullopt);
        test::OperationTest::TearDown();
    }

    // The installed description with a script of the test's own.
    void UseScript(const std::string& python) {
        std::string text = ReadAll(test::FixturePath("../../EXPORT/TECHPLAN.py3"));
        text = text.substr(0, text.find("END_MACHINE_CYCLES\n\"\"\"\n") + 23);
        std::ofstream(module / "EXPORT" / "TECHPLAN.py3", std::ios::binary | std::ios::trunc)
            << text << "import os, sys, time\n"
            << python;
    }

    // What must hold after every run, whatever became of it.
    void ExpectPutBack() {
        EXPECT_FALSE(BusyFlag);
        EXPECT_EQ(ModalState.exportRun, 0);
        EXPECT_EQ(GetSPID()->GetPostProcessor(), &post);
        EXPECT_EQ(app->ActiveDocument(), part);
    }

    fs::path module = folder.Path() / "module";
    fs::path modelFile;
    fs::path temporary;
    CPostProcessor post{"ISO_Lathe", test::FixturePath("../../POSTPROCESSORS/ISO_Lathe.py3")};
};

TEST(PlanExportNamesTest, FolderTitleProgramAndKeywords) {
    EXPECT_EQ(ExportFolder("C:\\Work\\A.xml"), "C:\\Work\\A");
    EXPECT_EQ(ExportFolder("A.rev.xml"), "A.rev");
    EXPECT_EQ(ExportFolder("D:\\Work.2024\\A.xml"), "D:\\Work.2024\\A");
    EXPECT_EQ(ExportFolder("D:\\Work.2024\\A"), "D:\\Work.2024\\A");
    EXPECT_EQ(ExportFolder("/home/u/Work.2024/A"), "/home/u/Work.2024/A");
    EXPECT_EQ(ExportTitle("D:\\Work.2024\\A.rev.xml"), "A.rev");
    EXPECT_EQ(ExportTitle("D:\\Work.2024\\A"), "A");
    EXPECT_EQ(ExportProgramName("D:\\F", "Вал 12", "nc"), "D:\\F\\Val 12.nc");

    const ExportScriptKeywords k = ExportScriptKeywords::Parse("CopyProgram;UpdateXML");
    EXPECT_TRUE(k.updateXml && k.copyProgram);
    EXPECT_FALSE(k.copy3dModel || k.createAllSketches);
    const ExportScriptKeywords all = ExportScriptKeywords::Parse("xxCopy3DmodelxxCreateAllSketches\r\n");
    EXPECT_TRUE(all.copy3dModel && all.createAllSketches);
    // Only the first 1024 bytes count.
    const ExportScriptKeywords late = ExportScriptKeywords::Parse(std::string(1020, ' ') + "UpdateXML");
    EXPECT_FALSE(late.updateXml);
}

TEST_F(PlanExportTest, ANewFileGetsTheXmlAndTheFolderWithoutAScript) {
    UseScript("open('ran.txt', 'w').write('ran')\n");
    const fs::path xml = folder.Path() / "A.xml";
    EXPECT_EQ(ExportPlan(*GetPLAN(), xml.string()), kExportDone);
    ExpectPutBack();
    EXPECT_EQ(XmlRoot(xml), "techplan");
    const std::string text = ReadAll(xml);
    EXPECT_NE(text.find("\r\n"), std::string::npos);
    EXPECT_NE(text.find("<line "), std::string::npos) << text;
    EXPECT_EQ(Files(folder.Path() / "A"),
              (std::vector<std::string>{"A.nc", "A.rdp", "Эскиз 0 (A).rdd", "Эскиз 1 (A).rdd"}));
    EXPECT_EQ(ReadAll(folder.Path() / "A" / "A.rdp"), ReadAll(modelFile));
    // The program is the plan's own post-processor's, not XML.
    EXPECT_EQ(ReadAll(folder.Path() / "A" / "A.nc").find('<'), std::string::npos);
    EXPECT_FALSE(fs::exists(temporary / "ran.txt"));
    const auto boxes = MessageLog::Instance().Texts(MessageRole::MessageBox);
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back(), kExportDone);
}

// The operation's name stands in a CDATA section and, in its heading, in an
// XML comment: neither "]]>" nor "--" of it may break the file, and the
// operation's element reads back the name as it is.
TEST_F(PlanExportTest, NamesAndCommentsNeverBreakTheXml) {
    const std::string name = "Проход ]]> -- 1-";
    runner->Operation(0).sNameTurn = name;
    const fs::path xml = folder.Path() / "N.xml";
    EXPECT_EQ(ExportPlan(*GetPLAN(), xml.string()), kExportDone);
    ASSERT_EQ(XmlRoot(xml), "techplan") << ReadAll(xml);
    xmlDocPtr doc = xmlReadFile(xml.c_str(), nullptr, XML_PARSE_NONET);
    ASSERT_NE(doc, nullptr);
    std::string operation;
    for (xmlNodePtr n = xmlDocGetRootElement(doc)->children; n; n = n->next) {
        if (n->type != XML_ELEMENT_NODE || std::string(reinterpret_cast<const char*>(n->name)) != "operation") continue;
        xmlChar* content = xmlNodeGetContent(n);
        operation = reinterpret_cast<const char*>(content);
        xmlFree(content);
        break;
    }
    xmlFreeDoc(doc);
    EXPECT_EQ(operation, name);
}

TEST_F(PlanExportTest, AFailedStepIsReportedAndTheOthersStillRun) {
    fs::remove(modelFile);
    const fs::path xml = folder.Path() / "H.xml";
    EXPECT_EQ(ExportPlan(*GetPLAN(), xml.string()), kExportModelFailed);
    ExpectPutBack();
    EXPECT_EQ(Files(folder.Path() / "H"), (std::vector<std::string>{"H.nc", "Эскиз 0 (H).rdd", "Эскиз 1 (H).rdd"}));
    EXPECT_EQ(MessageLog::Instance().Texts(MessageRole::MessageBox).back(), kExportModelFailed);
}

TEST_F(PlanExportTest, TheInstalledScriptMergesIntoAnExistingFile) {
    const fs::path xml = folder.Path() / "B.rev.xml";
    ASSERT_EQ(ExportPlan(*GetPLAN(), xml.string()), kExportDone);
    fs::remove_all(folder.Path() / "B.rev");
    EXPECT_EQ(ExportPlan(*GetPLAN(), xml.string()), kExportDone);
    ExpectPutBack();
    EXPECT_EQ(XmlRoot(xml), "techplans");
    const std::string merged = ReadAll(xml);
    std::size_t processes = 0;
    for (std::size_t at = merged.find("<techplan "); at != std::string::npos; at = merged.find("<techplan ", at + 1))
        ++processes;
    EXPECT_EQ(processes, 1u) << "the part's new process replaces its earlier one";
    EXPECT_EQ(Files(folder.Path() / "B.rev"),
              (std::vector<std::string>{"B.rev.nc", "B.rev.rdp", "Эскиз 0 (B.rev).rdd", "Эскиз 1 (B.rev).rdd"}));
}

// An XML file of someone else's once had the process merged into its root
// and the export reported done: only the export's own kind of file takes
// one; any other is left as it was (the script says why on the console).
TEST_F(PlanExportTest, TheInstalledScriptLeavesAForeignXmlFileAsItIs) {
    const fs::path xml = folder.Path() / "G.xml";
    const std::string foreign = "<?xml version=\"1.0\"?>\n<a><b>keep</b></a>\n";
    std::ofstream(xml, std::ios::binary) << foreign;
    EXPECT_EQ(ExportPlan(*GetPLAN(), xml.string()), kExportCancelled);
    ExpectPutBack();
    EXPECT_EQ(ReadAll(xml), foreign);
    EXPECT_FALSE(fs::exists(folder.Path() / "G"));
}

// A target the export cannot write ("a\\b.xml" is a folder a and a file b
// here) once gave only "Ошибка создания файла": the message names the file
// and says why.
TEST_F(PlanExportTest, ATargetThatCannotBeWrittenIsNamed) {
    const std::string xml = (folder.Path() / "нет").string() + "\\b.xml";
    const std::string message = ExportPlan(*GetPLAN(), xml);
    ExpectPutBack();
    EXPECT_EQ(message.rfind(kExportCreateFailed, 0), 0u) << message;
    EXPECT_NE(message.find("нет/b.xml"), std::string::npos) << message;
    EXPECT_NE(message.find("No such file or directory"), std::string::npos) << message;
}

TEST_F(PlanExportTest, AnExistingFileRunsTheScriptAndObeysItsKeywordsInOrder) {
    struct Case {
        const char* keywords;
        bool xml, model, sketches, program;
    } cases[] = {
        {"UpdateXML Copy3Dmodel", true, true, false, false},
        // CopyProgram removes output.tmp: UpdateXML still finds it, as it runs first.
        {"CopyProgram\\nUpdateXML", true, false, false, true},
        {"CreateAllSketches", false, false, true, false},
        {"nothing", false, false, false, false},
    };
    for (const Case& c : cases) {
        const fs::path xml = folder.Path() / "C.xml";
        std::ofstream(xml, std::ios::binary | std::ios::trunc) << "<old/>";
        fs::remove_all(folder.Path() / "C");
        UseScript(
            "assert '<techplan' in open('input.tmp', encoding='utf-8').read()\n"
            "assert open('output.tmp').read() == '<old/>'\n"
            "open('output.tmp', 'w').write('<merged/>')\n"
            "open('path.tmp', 'w').write('" +
            std::string(c.keywords) + "')\n");
        EXPECT_EQ(ExportPlan(*GetPLAN(), xml.string()), kExportDone) << c.keywords;
        ExpectPutBack();
        EXPECT_EQ(ReadAll(xml), c.xml ? "<merged/>" : "<old/>") << c.keywords;
        const std::vector<std::string> files = Files(folder.Path() / "C");
        auto has = [&](const std::string& name) { return std::count(files.begin(), files.end(), name) == 1; };
        EXPECT_EQ(has("C.rdp"), c.model) << c.keywords;
        EXPECT_EQ(has("Эскиз 0 (C).rdd") && has("Эскиз 1 (C).rdd"), c.sketches) << c.keywords;
        EXPECT_EQ(has("C.nc"), c.program) << c.keywords;
    }
}

TEST_F(PlanExportTest, AScriptThatAnswersNothingCancelsAndAnOldAnswerIsNeverObeyed) {
    const fs::path xml = folder.Path() / "D.xml";
    struct Case {
        const char* name;
        std::string python;
        std::int64_t timeoutMs;
    } cases[] = {
        {"no answer", "pass\n", test::kProductScriptLimitMs},
        {"crashed", "open('path.tmp', 'w').write('UpdateXML CopyProgram')\nsys.exit(3)\n", test::kProductScriptLimitMs},
        {"timed out", "open('path.tmp', 'w').write('UpdateXML CopyProgram')\ntime.sleep(30)\n", 1000},
    };
    for (const Case& c : cases) {
        std::ofstream(xml, std::ios::binary | std::ios::trunc) << "<old/>";
        fs::remove_all(folder.Path() / "D");
        // An earlier run's answer and output.
        fs::create_directories(temporary);
        std::ofstream(temporary / kPathFileName) << "UpdateXML Copy3Dmodel CreateAllSketches CopyProgram";
        PythonRunTimeouts::Current().exportMs = c.timeoutMs;
        UseScript(c.python);
        MessageLog::Instance().Clear();
        EXPECT_EQ(ExportPlan(*GetPLAN(), xml.string()), kExportCancelled) << c.name;
        ExpectPutBack();
        EXPECT_EQ(ReadAll(xml), "<old/>") << c.name;
        EXPECT_TRUE(Files(folder.Path() / "D").empty()) << c.name;
        const auto boxes = MessageLog::Instance().Texts(MessageRole::MessageBox);
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(boxes.back(), kExportCancelled);
    }
}

TEST_F(PlanExportTest, WithoutTheExportDescriptionNothingIsWritten) {
    fs::remove(module / "EXPORT" / "TECHPLAN.py3");
    const fs::path xml = folder.Path() / "E.xml";
    // The message says which file is missing.
    const std::string message = ExportPlan(*GetPLAN(), xml.string());
    EXPECT_EQ(message.rfind(kExportCreateFailed, 0), 0u) << message;
    EXPECT_NE(message.find("EXPORT/TECHPLAN.py3 cannot be read"), std::string::npos) << message;
    ExpectPutBack();
    EXPECT_FALSE(fs::exists(xml));
    EXPECT_FALSE(fs::exists(folder.Path() / "E"));
}

TEST_F(PlanExportTest, AFailingSketchPutsBackTheFlagsAndThePostProcessor) {
    HostFaults::Arm("Drawing.AddTable", E_FAIL_);
    EXPECT_THROW(ExportPlan(*GetPLAN(), (folder.Path() / "F.xml").string()), HostError);
    ExpectPutBack();
}

TEST_F(PlanExportTest, TheStatisticsDialogsButtonAsksForTheFile) {
    CDialogStatistics dialog(*GetPLAN());
    dialog.OnInitDialog();
    FileDialogs::Instance().QueueSave((folder.Path() / "G.xml").string());
    dialog.OnCommand(CDialogStatistics::kExport, kButtonClicked);
    EXPECT_EQ(XmlRoot(folder.Path() / "G.xml"), "techplan");
    // Cancelled: nothing.
    MessageLog::Instance().Clear();
    FileDialogs::Instance().QueueSave(std::nullopt);
    dialog.OnCommand(CDialogStatistics::kExport, kButtonClicked);
    EXPECT_TRUE(MessageLog::Instance().Texts(MessageRole::MessageBox).empty());
    dialog.OnDestroy();
    ExpectPutBack();
}

}  // namespace
}  // namespace zarvento
