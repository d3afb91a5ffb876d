// The NC program's files: the saved program in either encoding, the script's
// input file by the script rule, and the program's settings record.
#include <gtest/gtest.h>

#include "host_fault_sweep.h"
#include "nc/modal_state.h"
#include "platform/core/host_faults.h"
#include "platform/core/messages.h"
#include "platform/documents/host_application.h"
#include "platform/documents/host_document.h"
#include "post/post_processor_settings.h"
#include "post/program.h"
#include "post/python_run.h"
#include "program_links_stand_in.h"
#include "test_support.h"

namespace zarvento {
namespace {

class ProgramFileTest : public test::CleanStateTest {
protected:
    std::string Bytes(const std::filesystem::path& path) { return ReadFileBytes(path).text; }
    std::vector<std::string> Messages() {
        std::vector<std::string> texts;
        for (const MessageEntry& e : MessageLog::Instance().Entries()) texts.push_back(e.text);
        return texts;
    }

    test::ProgramLinksStandIn links;
    CPROGRAM program;
    const std::vector<std::string> lines{" ( Вал )", " N001  G90 G40 G17", "", "   N002  M30"};
};

TEST_F(ProgramFileTest, SavesCrLfLinesWithoutLeadingBlanksInTheCodingOfTheDescription) {
    struct Case {
        const char* coding;
        std::string expected;
    };
    const std::string utf8 = "( Вал )\r\nN001  G90 G40 G17\r\n\r\nN002  M30\r\n";
    const std::string cp1251 = "( \xC2\xE0\xEB )\r\nN001  G90 G40 G17\r\n\r\nN002  M30\r\n";
    for (const Case& c : {Case{"UTF8", utf8}, Case{"utf8", utf8}, Case{"Utf8", cp1251}, Case{"", cp1251}}) {
        PostProcessorSettings::Current().CodingChar = c.coding;
        const auto path = links.folder / "part.nc";
        ASSERT_TRUE(program.SaveProgramFile(path.string(), lines)) << c.coding;
        EXPECT_EQ(Bytes(path), c.expected) << c.coding;
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ProgramFileTest, AFailedSaveReportsInBothCodingsAndLeavesThePreviousFile) {
    const auto path = links.folder / "part.nc";
    ASSERT_TRUE(WriteFileAtomic(path, "old program\r\n").ok);
    for (const char* coding : {"UTF8", "CP1251"}) {
        SCOPED_TRACE(coding);
        bool saved = true;
        test::FailEachCall(
            {"WriteFileAtomic", "ReplaceFile"}, E_FAIL_, [&] { saved = program.SaveProgramFile(path.string(), lines); },
            [&](const test::FaultRun&) {
                EXPECT_FALSE(saved);
                ASSERT_EQ(Messages().size(), 1u);
                EXPECT_EQ(Messages()[0].rfind(std::string(CPROGRAM::kSaveFailed) + ":\n", 0), 0u) << Messages()[0];
                EXPECT_EQ(Messages()[0].find("part.nc") != std::string::npos, true) << Messages()[0];
                EXPECT_EQ(Bytes(path), "old program\r\n");
                EXPECT_EQ(std::distance(std::filesystem::directory_iterator(links.folder.Path()),
                                        std::filesystem::directory_iterator()),
                          1);
            },
            {[&] {
                MessageLog::Instance().Clear();
                PostProcessorSettings::Current().CodingChar = coding;
            }});
    }
    // The writer's reason goes with the message (it was dropped once): a
    // folder that does not exist, a folder in the file's place, a
    // write-protected file, and a part document, which NC text never replaces.
    std::filesystem::create_directory(links.folder / "folder.nc");
    const auto protectedFile = links.folder / "protected.nc";
    ASSERT_TRUE(WriteFileAtomic(protectedFile, "kept").ok);
    std::filesystem::permissions(protectedFile, std::filesystem::perms::owner_read);
    const auto document = links.folder / "part.rdp";
    HostDocument(DocumentType::Part).SaveAs(document.string());
    const std::string documentBytes = Bytes(document);
    struct Target {
        std::filesystem::path path;
        const char* reason;
    };
    for (const Target& t :
         {Target{links.folder / "нет" / "part.nc", "No such file or directory"},
          Target{links.folder / "folder.nc", "is a folder"}, Target{protectedFile, "is write-protected"},
          Target{document, "is a Zarvento document and is left as it is"}}) {
        SCOPED_TRACE(t.path.string());
        MessageLog::Instance().Clear();
        EXPECT_FALSE(program.SaveProgramFile(t.path.string(), lines));
        EXPECT_NE(program.SaveError().find(t.reason), std::string::npos) << program.SaveError();
        EXPECT_EQ(Messages(),
                  std::vector<std::string>{std::string(CPROGRAM::kSaveFailed) + ":\n" + program.SaveError()});
    }
    EXPECT_EQ(Bytes(protectedFile), "kept");
    EXPECT_EQ(Bytes(document), documentBytes);
    EXPECT_TRUE(program.SaveProgramFile((links.folder / "part.nc").string(), lines));
    EXPECT_EQ(program.SaveError(), "");
}

TEST_F(ProgramFileTest, TheInputFileIsWrittenOnlyWhenTheScriptRuns) {
    struct Case {
        const char* version;
        bool usePython;
        bool builtIn;
        bool script;
    };
    const auto input = links.folder / kInputFileName;
    for (const Case& c : {Case{"18", false, false, false}, Case{"18", true, false, true}, Case{"18", false, true, true},
                          Case{"17", false, false, true}, Case{"19", false, false, true}}) {
        std::filesystem::remove(input);
        PostProcessorSettings::Current().Version = c.version;
        PostProcessorSettings::Current().UsePython = c.usePython;
        ModalState.builtInTextWritten = c.builtIn ? 1 : 0;
        EXPECT_EQ(CPROGRAM::UsesScript(), c.script) << c.version << c.usePython << c.builtIn;
        EXPECT_TRUE(program.SaveInputFile(lines));
        EXPECT_EQ(std::filesystem::exists(input), c.script) << c.version << c.usePython << c.builtIn;
    }
    EXPECT_EQ(Bytes(input), "( \xC2\xE0\xEB )\r\nN001  G90 G40 G17\r\n\r\nN002  M30\r\n");
    HostFaults::Arm("WriteFileAtomic", E_FAIL_);
    EXPECT_FALSE(program.SaveInputFile(lines));
    EXPECT_EQ(Messages(), std::vector<std::string>{CPROGRAM::kInputSaveFailed});
}

TEST_F(ProgramFileTest, TheSettingsRecordRoundTrips) {
    ConnectHostApplication().Documents().Add(DocumentType::Part);
    CPROGRAM fresh;
    EXPECT_FALSE(fresh.Load());
    EXPECT_EQ(fresh.KoffVelosity, 1000.0);
    program.nINCH = 1;
    program.Transparency = 30.0;
    program.Accuracy = 0.25;
    program.KoffVelosity = 200.0;
    program.isToolHide = true;
    program.isPathHide = false;
    program.indCODE = 2;
    ASSERT_TRUE(program.Save());
    ASSERT_TRUE(fresh.Load());
    EXPECT_EQ(fresh.nINCH, 1);
    EXPECT_EQ(fresh.Transparency, 30.0);
    EXPECT_EQ(fresh.Accuracy, 0.25);
    EXPECT_EQ(fresh.KoffVelosity, 200.0);
    EXPECT_TRUE(fresh.isToolHide);
    EXPECT_FALSE(fresh.isPathHide);
    EXPECT_EQ(fresh.indCODE, 2);
    EXPECT_EQ(ProgramUnits::Global().nINCH, 1);
}

}  // namespace
}  // namespace zarvento

namespace zarvento {
namespace {

TEST_F(ProgramFileTest, TheExportRunKeepsItsFlagThroughTheTextPass) {
    test::NumberedMoves moves(program);
    std::vector<std::string> text;
    program.WriteProgramText(text);
    EXPECT_EQ(text.size(), 2u);
    {
        ExportRunGuard exportRun;
        std::vector<std::string> exported;
        program.WriteProgramText(exported);
        // The frames add no lines while an export runs, and the modal reset
        // of the pass leaves the export's flag to the export.
        EXPECT_TRUE(exported.empty());
        EXPECT_EQ(ModalState.exportRun, 1);
    }
    EXPECT_EQ(ModalState.exportRun, 0);
}

TEST_F(ProgramFileTest, TheScriptRuleLooksAtThisProgramsTextAlone) {
    PostProcessorSettings::Current().Version = "18";
    ModalState.builtInTextWritten = 1;  // a text written before this program
    std::vector<std::string> text;
    program.WriteProgramText(text);
    EXPECT_FALSE(CPROGRAM::UsesScript());
    test::NumberedMoves moves(program);
    program.WriteProgramText(text);
    EXPECT_TRUE(CPROGRAM::UsesScript()) << "built-in move texts";
}

}  // namespace
}  // namespace zarvento
