// Reading post-processor descriptions: the golden dumps of the fixtures and
// shipped files, the key rules, the settings of both grammars, malformed and
// random descriptions.
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "golden_file.h"
#include "nc/cycle_definition_links.h"
#include "nc/frame_templates.h"
#include "nc/modal_state.h"
#include "platform/core/code_page.h"
#include "platform/core/text_file.h"
#include "post/post_processor.h"
#include "post/post_processor_settings.h"
#include "post_dump.h"
#include "test_support.h"

namespace zarvento {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class DescriptionTest : public test::CleanStateTest {
protected:
    // A description file of that content in the temporary folder, read.
    CPostProcessor Read(const std::string& content, const std::string& name = "pp") {
        const fs::path path = dir / (name + ".py3");
        std::ofstream(path, std::ios::binary) << content;
        CPostProcessor post(name, path.string());
        EXPECT_TRUE(post.ReadPostProcessorDescription());
        return post;
    }
    static PostProcessorSettings& Settings() { return PostProcessorSettings::Current(); }

    test::TempDir dir;
};

// --- golden dumps ---

struct GoldenCase {
    const char* file;    // below the fixture folder
    const char* golden;  // below tests/fixtures/post
};

class GoldenDumpTest : public DescriptionTest, public ::testing::WithParamInterface<GoldenCase> {};

TEST_P(GoldenDumpTest, MatchesTheGoldenDump) {
    const fs::path file = test::FixturePath(GetParam().file);
    CPostProcessor post(file.stem().string(), file.string());
    ASSERT_TRUE(post.ReadPostProcessorDescription());
    const std::string dump = test::DumpPostProcessor(post);
    test::ExpectGolden(std::string("post/") + GetParam().golden, dump);
    EXPECT_TRUE(Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Fixtures, GoldenDumpTest,
                         ::testing::Values(GoldenCase{"post/old_blocks.py3", "old_blocks.dump"},
                                           GoldenCase{"post/utf8.py3", "utf8.dump"},
                                           GoldenCase{"post/v17.py3", "v17.dump"},
                                           GoldenCase{"post/stray_end_cycle.py3", "stray_end_cycle.dump"},
                                           GoldenCase{"post/format_t_percent_s.py3", "format_t_percent_s.dump"},
                                           GoldenCase{"post/missing_section_end.py3", "missing_section_end.dump"},
                                           GoldenCase{"post/truncated.py3", "truncated.dump"},
                                           GoldenCase{"../../POSTPROCESSORS/ISO_Lathe.py3", "ISO_Lathe.dump"},
                                           GoldenCase{"../../POSTPROCESSORS/sample/sample.py3", "sample.dump"}),
                         [](const auto& param) {
                             std::string name = fs::path(param.param.golden).stem().string();
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

// --- the key rule ---

TEST(KeyLookup, FirstOccurrenceAnywhereBlanksSkippedValueCut) {
    struct Case {
        std::string text, key, value;
    };
    const std::string sixty(60, 'x');
    const std::vector<Case> cases = {
        {"VERSION 18\n", "VERSION", "18"},
        {"VERSION 18 \r\n", "VERSION", "18 "},                                  // trailing blanks stay
        {"VERSION=18\n", "VERSION", "=18"},                                     // an equals sign is part of the value
        {"VERSION\t18\n", "VERSION", "\t18"},                                   // tabs are not skipped
        {"VERSION     18", "VERSION", "18"},                                    // up to the end of the text
        {"# the VERSION of the file\nVERSION 18\n", "VERSION", "of the file"},  // a comment comes first
        {"XVERSION 9\n", "VERSION", "9"},                                       // not only a whole word
        {"VERSION\r\n18\n", "VERSION", ""},
        {"FILE_EXTENSION nc\n", "VERSION", ""},
        {"STRING_INIT " + sixty + "\n", "STRING_INIT", std::string(49, 'x')},
        {"NAME " + std::string(60, 'x').replace(0, 2, "\xD0\xB6") + "\n", "NAME",  // 49 characters, not bytes
         std::string("\xD0\xB6") + std::string(48, 'x')},
        {"STRING_OFFSET_Z G43 Z0\nSTRING_OFFSET G43\n", "STRING_OFFSET", "_Z G43 Z0"},
        {"CNC_CODE_10 B\nCNC_CODE_1 A\n", "CNC_CODE_1", "0 B"},
        {"KEY", "KEY", ""},
        {"", "KEY", ""},
        {"KEY value", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CPostProcessor::GetKeyValue(c.text, c.key), c.value) << c.text << " / " << c.key;
}

// --- settings of the two grammars ---

TEST_F(DescriptionTest, TrailingBlankAfterVersion18SelectsTheBlockGrammar) {
    const std::string section =
        "BEGIN_MACHINE_CYCLES\nBEGIN_CYCLE\nG800EL\nTYPE Drilling\nEND_CYCLE\nEND_MACHINE_CYCLES\n";
    CPostProcessor blocks = Read("VERSION 18 \nUSE_PYTHON 1\nFORMAT_T N%d\n" + section);
    EXPECT_EQ(Settings().Version, "18 ");
    EXPECT_EQ(blocks.GetCycles().size(), 1u);
    EXPECT_FALSE(Settings().UsePython);  // the block grammar never reads it
    EXPECT_EQ(Settings().FormatT, "N%d");

    for (const char* version : {"17", "18"}) {
        CPostProcessor statements =
            Read(std::string("VERSION ") + version + "\nUSE_PYTHON 2\nFORMAT_T Q%d\n" + section);
        EXPECT_EQ(Settings().Version, version);
        EXPECT_EQ(ModalState.versionText, version);
        EXPECT_TRUE(statements.GetCycles().empty());  // BEGIN_CYCLE is no statement
        EXPECT_TRUE(Settings().UsePython);
        EXPECT_EQ(Settings().FormatT, "N%d");  // kept from the reading before
    }
}

TEST_F(DescriptionTest, OlderLayoutSettingsAndTheirDefaults) {
    Read(
        "VERSION 16\nFORMAT_T T%02d\nSTRING_INIT G18\nSTRING_OFFSET G43\nSTRING_OFFSET_Z G43 Z0\n"
        "CODE_SYNCHRON_NULLSPINDEL M19\nEDM_ARTA 1\n");
    EXPECT_EQ(Settings().FormatT, "T%02d");
    EXPECT_EQ(Settings().StringInit, "G18");
    EXPECT_EQ(Settings().StringOffset, "G43");
    EXPECT_EQ(Settings().StringOffsetZ, "G43 Z0");
    EXPECT_EQ(Settings().CodeSynchronNullSpindel, "M19");
    EXPECT_TRUE(Settings().EdmArta);
    // The frames read their copies of these.
    EXPECT_EQ(BuiltInFrameTexts::Global().toolCallFormat, "T%02d");
    EXPECT_EQ(BuiltInFrameTexts::Global().startText, "G18");
    EXPECT_EQ(BuiltInFrameTexts::Global().syncCode, "M19");
    EXPECT_EQ(BuiltInFrameTexts::Global().toolOffsetText, "G43");

    // Empty values give the defaults; a missing synchronisation code keeps the one in force.
    CPostProcessor second = Read("VERSION 16\nFORMAT_T \nSTRING_INIT\nEDM_ARTA x\n");
    EXPECT_EQ(Settings().FormatT, "T%d");
    EXPECT_EQ(Settings().StringInit, "G90 G40 G17");
    EXPECT_EQ(Settings().StringOffset, "");
    EXPECT_EQ(Settings().StringOffsetZ, "");
    EXPECT_EQ(Settings().CodeSynchronNullSpindel, "M19");
    EXPECT_EQ(second.GetSpindleSynchronCode(), "");
    EXPECT_FALSE(Settings().EdmArta);
    EXPECT_EQ(BuiltInFrameTexts::Global().startText, "G90 G40 G17");
}

TEST_F(DescriptionTest, ToolFormatMustHoldExactlyOneIntegerConversion) {
    for (const char* format : {"T%s", "T%d%d", "T%n", "T%", "T", "T%5.2f", "%*d"}) {
        CPostProcessor post = Read(std::string("VERSION 16\nFORMAT_T ") + format + "\n");
        EXPECT_EQ(post.GetToolFormat(), format);
        EXPECT_EQ(Settings().FormatT, "T%d") << format;
        EXPECT_EQ(BuiltInFrameTexts::Global().toolCallFormat, "T%d") << format;
    }
    for (const char* format : {"T%02d", "T%i M06", "T%%%d", "TOOL %-3d"}) {
        Read(std::string("VERSION 16\nFORMAT_T ") + format + "\n");
        EXPECT_EQ(Settings().FormatT, format);
    }
}

TEST_F(DescriptionTest, CncCodesRunFromZeroToTheFirstMissingNumber) {
    EXPECT_TRUE(Read("CNC_CODE_1 A\nCNC_CODE_2 B\n").GetCncCodes().empty());
    EXPECT_EQ(Read("CNC_CODE_0 A\nCNC_CODE_1\nCNC_CODE_2 C\n").GetCncCodes(), std::vector<std::string>{"A"});
    std::string eleven;
    for (int n = 0; n <= 10; ++n) eleven += "CNC_CODE_" + std::to_string(n) + " C" + std::to_string(n) + "\n";
    const std::vector<std::string> codes = Read(eleven).GetCncCodes();
    ASSERT_EQ(codes.size(), 11u);
    EXPECT_EQ(codes[1], "C1");
    EXPECT_EQ(codes[10], "C10");
}

TEST_F(DescriptionTest, OnlyTheFirst50000BytesCountUnlessTheFileIsUtf8) {
    std::string text = "VERSION 16\n# " + std::string(60000, '.') + "\nFILE_EXTENSION far\n";
    EXPECT_EQ(Read(text).GetFileExtension(), "");
    text.insert(0, "CODING_CHAR UTF8\n");
    EXPECT_EQ(Read(text).GetFileExtension(), "far");
    EXPECT_EQ(Settings().CodingChar, "UTF8");
    // A UTF-8 text stays bounded too.
    const std::string huge =
        "CODING_CHAR UTF8\n" + std::string(CPostProcessor::kUtf8DescriptionBytes, '.') + "\nFILE_EXTENSION beyond\n";
    EXPECT_EQ(Read(huge).GetFileExtension(), "");
}

TEST_F(DescriptionTest, CodePageAndUtf8TextsReadAlike) {
    // "Токарный" in Windows-1251, and the same word in UTF-8 with a BOM and CR LF.
    const std::string cp1251 = "VERSION 16\r\nFILE_EXTENSION \xD2\xEE\xEA\xE0\xF0\xED\xFB\xE9\r\n";
    EXPECT_EQ(Read(cp1251).GetFileExtension(), "Токарный");
    const std::string utf8 =
        "\xEF\xBB\xBF"
        "CODING_CHAR UTF8\r\nFILE_EXTENSION Токарный\r\n";
    EXPECT_EQ(Read(utf8).GetFileExtension(), "Токарный");
    // Bytes that are no UTF-8 are kept out of our texts.
    EXPECT_EQ(Read("CODING_CHAR UTF8\nFILE_EXTENSION a\xFF\xD0z\n").GetFileExtension(), "a??z");
    // "utf8" is not "UTF8": the Cyrillic code page stays.
    EXPECT_EQ(Read("CODING_CHAR utf8\nFILE_EXTENSION \xC0\n").GetFileExtension(), "А");
}

TEST_F(DescriptionTest, UnreadableFileChangesNothingAndSaysSo) {
    CPostProcessor post = Read("VERSION 16\nFILE_EXTENSION nc\nCNC_CODE_0 ISO\n");
    CPostProcessor missing("gone", (dir / "gone.py3").string());
    missing = post;
    const std::string before = test::DumpPostProcessor(missing);
    fs::remove(dir / "pp.py3");
    EXPECT_FALSE(missing.ReadPostProcessorDescription());
    EXPECT_EQ(test::DumpPostProcessor(missing), before);
    // The message names the file and why it cannot be read.
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].rfind(std::string(CPostProcessor::kOpenError) + ":\n", 0), 0u) << Messages()[0];
    EXPECT_NE(Messages()[0].find("pp.py3\": No such file"), std::string::npos) << Messages()[0];

    fs::create_directories(dir / "folder.py3");
    CPostProcessor folder("folder", (dir / "folder.py3").string());
    EXPECT_FALSE(folder.ReadPostProcessorDescription());
}

TEST_F(DescriptionTest, ReadingTwiceGivesTheSameWithoutDuplicates) {
    const fs::path file = test::FixturePath("post/old_blocks.py3");
    CPostProcessor post("old_blocks", file.string());
    ASSERT_TRUE(post.ReadPostProcessorDescription());
    const std::string first = test::DumpPostProcessor(post);
    ASSERT_TRUE(post.ReadPostProcessorDescription());
    EXPECT_EQ(test::DumpPostProcessor(post), first);
    EXPECT_EQ(post.GetCycles().size(), 6u);
    EXPECT_EQ(post.GetCncCodes().size(), 3u);
}

TEST_F(DescriptionTest, ReadingClearsTheTemplatesAndTheBuiltInFlag) {
    FrameTemplates::Set("G01", std::make_unique<CycleCodeLists>());
    ModalState.builtInTextWritten = 1;
    Read("VERSION 16\n");
    EXPECT_EQ(FrameTemplates::Find("G01"), nullptr);
    EXPECT_EQ(ModalState.builtInTextWritten, 0);
}

// --- the cycle definitions of the description read last ---

TEST_F(DescriptionTest, DefinitionsReadLastAnswerTheCyclesAfterTheirPostProcessorIsGone) {
    CycleDefinitionLinks* links = GetCycleDefinitionLinks();
    ASSERT_NE(links, nullptr);
    {
        CPostProcessor post("old_blocks", test::FixturePath("post/old_blocks.py3"));
        ASSERT_TRUE(post.ReadPostProcessorDescription());
    }
    const CCycle_Auto* drilling = links->FindCurrentCycleDefinition("G800EL");
    ASSERT_NE(drilling, nullptr);
    EXPECT_EQ(drilling->GetType(), "Drilling");
    EXPECT_TRUE(links->HasPostProcessor("old_blocks"));
    EXPECT_NE(links->FindCycleDefinition("old_blocks", "G790EL"), nullptr);
    EXPECT_EQ(links->FindCycleDefinition("other", "G800EL"), nullptr);

    Read("VERSION 16\n");
    EXPECT_EQ(links->FindCurrentCycleDefinition("G800EL"), nullptr);
    EXPECT_FALSE(links->HasPostProcessor("old_blocks"));
}

TEST_F(DescriptionTest, GroupMembersComeFromThePostProcessorBeingRead) {
    // Not the plan's choice, not in any list: its groups still find their members.
    CPostProcessor post = Read(
        "VERSION 16\nBEGIN_MACHINE_CYCLES\n"
        "BEGIN_CYCLE_GROUP\nG9\nPROFIL_DEMANDS \" \"\nTRAJECTORY T9\nPARAMETERS\nG1 s One\nG9 s Self\nG7 s "
        "None\nEND_CYCLE\n"
        "BEGIN_CYCLE\nG1\nTRAJECTORY T1\nPARAMETERS\nA D Depth 2\nEND_CYCLE\n"
        "END_MACHINE_CYCLES\n");
    const CCycle_Auto* group = post.FindCycleDefinition("G9");
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(group->members.size(), 3u);
    EXPECT_EQ(group->members[0]->GetGCode(), "G1");
    EXPECT_EQ(group->members[0]->params[0].valueText, "2");
    EXPECT_EQ(group->members[0]->trajectory, "T1");  // a blank feature keeps the member's own
    EXPECT_EQ(group->members[1]->GetGCode(), "");    // never itself
    EXPECT_EQ(group->members[2]->GetGCode(), "");    // no such definition
}

// --- malformed descriptions ---

TEST_F(DescriptionTest, MalformedBlocksAreBounded) {
    const std::string longName(5000, 'N');
    std::string params;
    for (int i = 0; i < 45; ++i) params += "P" + std::to_string(i) + " D Caption " + std::to_string(i) + "\n";
    std::string list = "L O Choice\nbegin_list\n";
    for (int i = 0; i < 21; ++i) list += "e" + std::to_string(i) + "\n";
    list += "end_list\n";
    CPostProcessor post = Read(
        "VERSION 16\nBEGIN_MACHINE_CYCLES\n"
        "BEGIN_CYCLE\n" +
        longName + "\nPARAMETERS\n" + params +
        "END_CYCLE\n"
        "BEGIN_CYCLE\nG2\nPARAMETERS\n" +
        list +
        "END_CYCLE\n"
        "BEGIN_CYCLE\nG3\nEND_MACHINE_CYCLES\n");
    ASSERT_EQ(post.GetCycles().size(), 2u);  // the last block has no end
    const CCycle_Auto& first = *post.GetCycles()[0];
    EXPECT_EQ(first.GetGCode(), std::string(1023, 'N'));
    EXPECT_EQ(first.paramCount, CCadreCycle::kMaxParameters);
    const CCycle_Auto& second = *post.GetCycles()[1];
    EXPECT_EQ(second.params[0].listCount, CycleParameter::kMaxListEntries);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Переполнение списка для цикла G2.\nОшибка постпроцессора"});
}

TEST_F(DescriptionTest, SectionEndBeforeItsBeginGivesNoDefinitions) {
    CPostProcessor post = Read("VERSION 16\nEND_MACHINE_CYCLES\nBEGIN_MACHINE_CYCLES\nBEGIN_CYCLE\nG1\nEND_CYCLE\n");
    EXPECT_TRUE(post.GetCycles().empty());
    EXPECT_TRUE(Messages().empty());
}

// Random and cut descriptions: never a crash, never a read outside the text
// (the sanitizer build watches), and every definition within its bounds.
TEST_F(DescriptionTest, RandomAndTruncatedDescriptionsAreSafe) {
    const std::string base = ReadAll(test::FixturePath("post/old_blocks.py3"));
    const std::vector<std::string> words = {"BEGIN_CYCLE",
                                            "BEGIN_CYCLE_GROUP",
                                            "END_CYCLE",
                                            "PARAMETERS",
                                            "begin_list",
                                            "end_list",
                                            "\"",
                                            "\r",
                                            "\n",
                                            "NAME",
                                            "TYPE",
                                            "CODING_CHAR UTF8\n",
                                            "END_MACHINE_CYCLES",
                                            "BEGIN_MACHINE_CYCLES",
                                            " ",
                                            "\xD0"};
    std::mt19937 random(20261209u);
    const fs::path path = dir / "fuzz.py3";
    for (int round = 0; round < 300; ++round) {
        std::string text = base;
        const int edits = 1 + static_cast<int>(random() % 12);
        for (int e = 0; e < edits && !text.empty(); ++e) {
            const std::size_t at = random() % (text.size() + 1);
            switch (random() % 4) {
                case 0: text.insert(at, words[random() % words.size()]); break;
                case 1:
                    if (at < text.size()) text[at] = static_cast<char>(random() % 256);
                    break;
                case 2: text.erase(at, random() % 64); break;
                default:
                    text.resize(at);  // cut short
                    break;
            }
        }
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        CPostProcessor post("fuzz", path.string());
        ASSERT_TRUE(post.ReadPostProcessorDescription());
        for (const auto& c : post.GetCycles()) {
            ASSERT_GE(c->paramCount, 0);
            ASSERT_LE(c->paramCount, CCadreCycle::kMaxParameters);
            for (const CycleParameter& p : c->params) ASSERT_LE(p.listCount, CycleParameter::kMaxListEntries);
            ASSERT_LE(c->members.size(), static_cast<std::size_t>(CCadreCycle::kMaxParameters));
        }
        ASSERT_TRUE(IsValidUtf8(post.GetFileExtension()));
    }
}

}  // namespace
}  // namespace zarvento
