// Whole-file reading and atomic text writing.
#include "platform/core/text_file.h"
#include "host_fault_sweep.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/core/host_faults.h"
#include "platform/core/line_reader.h"
#include "test_support.h"

namespace zarvento {
namespace {

using test::TempDir;

class TextFileTest : public test::CleanStateTest {
protected:
    std::string Bytes(const std::filesystem::path& p) {
        const FileReadResult r = ReadFileBytes(p);
        EXPECT_TRUE(r.ok) << r.error;
        return r.text;
    }
    // The folder holds exactly these names (no temporary file left behind).
    void ExpectOnly(const std::vector<std::string>& names) {
        std::vector<std::string> found;
        for (const auto& e : std::filesystem::directory_iterator(dir_.Path())) found.push_back(e.path().filename());
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, names);
    }
    TempDir dir_;
};

TEST_F(TextFileTest, WritesEachEncodingAndLineEndByteExact) {
    struct Case {
        TextEncoding encoding;
        LineEnd end;
        bool bom;
        std::string bytes;
    };
    const std::vector<std::string> lines = {"N1 G00 X0", "", "Конец"};
    const Case cases[] = {
        {TextEncoding::Cp1251, LineEnd::CrLf, false, "N1 G00 X0\r\n\r\n\xCA\xEE\xED\xE5\xF6\r\n"},
        {TextEncoding::Utf8, LineEnd::CrLf, false, "N1 G00 X0\r\n\r\nКонец\r\n"},
        {TextEncoding::Utf8, LineEnd::Lf, true, "\xEF\xBB\xBFN1 G00 X0\n\nКонец\n"},
        {TextEncoding::Cp1251, LineEnd::Cr, true, "N1 G00 X0\r\r\xCA\xEE\xED\xE5\xF6\r"},  // no BOM in a code page
    };
    for (const auto& c : cases) {
        const auto path = dir_ / "out.nc";
        const FileWriteResult w = WriteTextFile(path, lines, c.encoding, c.end, c.bom);
        ASSERT_TRUE(w.ok) << w.error;
        EXPECT_EQ(Bytes(path), c.bytes);
        const FileReadResult r = ReadTextFile(path, c.encoding);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.utf8Bom, c.bom && c.encoding == TextEncoding::Utf8);
        EXPECT_EQ(SplitLines(r.text), lines);
    }
    ExpectOnly({"out.nc"});
}

TEST_F(TextFileTest, CharactersOutsideTheCodePageAreCounted) {
    const FileWriteResult w = WriteTextFile(dir_ / "a.txt", {"Ж€中"}, TextEncoding::Cp1251, LineEnd::Lf);
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.unconvertible, 1u);
    EXPECT_EQ(Bytes(dir_ / "a.txt"), "\xC6\x88?\n");
}

TEST_F(TextFileTest, ABomMakesTheFileUtf8WhateverTheCaller) {
    ASSERT_TRUE(WriteFileAtomic(dir_ / "d.py3", "\xEF\xBB\xBFVERSION \"18\" Ж").ok);
    const FileReadResult r = ReadTextFile(dir_ / "d.py3", TextEncoding::Cp1251);
    EXPECT_TRUE(r.utf8Bom);
    EXPECT_EQ(r.text, "VERSION \"18\" Ж");
    EXPECT_TRUE(HasUtf8Bom("\xEF\xBB\xBF"));
    EXPECT_FALSE(HasUtf8Bom("\xEF\xBB"));
}

TEST_F(TextFileTest, ReadLimitReportsTruncation) {
    ASSERT_TRUE(WriteFileAtomic(dir_ / "f", "0123456789").ok);
    struct Case {
        std::size_t limit;
        std::string text;
        bool truncated;
    };
    const Case cases[] = {{4, "0123", true}, {10, "0123456789", false}, {11, "0123456789", false}, {0, "", true}};
    for (const auto& c : cases) {
        const FileReadResult r = ReadFileBytes(dir_ / "f", c.limit);
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(r.text, c.text);
        EXPECT_EQ(r.truncated, c.truncated) << c.limit;
    }
}

TEST_F(TextFileTest, MissingFileIsAnErrorNotAnEmptyText) {
    const FileReadResult r = ReadTextFile(dir_ / "none.tmp", TextEncoding::Cp1251);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("none.tmp"), std::string::npos);
}

TEST_F(TextFileTest, FailedWritesKeepThePreviousFile) {
    const auto path = dir_ / "prog.nc";
    ASSERT_TRUE(WriteFileAtomic(path, "old").ok);
    FileWriteResult w;
    test::FailEachCall(
        {"WriteFileAtomic", "ReplaceFile"}, E_FAIL_, [&] { w = WriteFileAtomic(path, "new content"); },
        [&](const test::FaultRun&) {
            EXPECT_FALSE(w.ok);
            EXPECT_NE(w.error.find("prog.nc"), std::string::npos) << w.error;
            EXPECT_EQ(Bytes(path), "old");
            ExpectOnly({"prog.nc"});
        });
}

TEST_F(TextFileTest, ImpossibleTargetsReportFailure) {
    std::filesystem::create_directory(dir_ / "sub");
    std::filesystem::create_directory(dir_ / "sub" / "x");
    EXPECT_FALSE(WriteFileAtomic(dir_ / "missing" / "a.txt", "x").ok);
    const FileWriteResult onDir = WriteFileAtomic(dir_ / "sub" / "x", "x");
    EXPECT_FALSE(onDir.ok);
    EXPECT_FALSE(onDir.error.empty());
    EXPECT_TRUE(std::filesystem::is_directory(dir_ / "sub" / "x"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_ / "sub"), {}), 1);
    EXPECT_FALSE(WriteFileAtomic(dir_.Path() / "", "x").ok);
}

TEST_F(TextFileTest, ReplacingKeepsThePermissions) {
    const auto path = dir_ / "run.sh";
    ASSERT_TRUE(WriteFileAtomic(path, "a").ok);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    ASSERT_TRUE(WriteFileAtomic(path, "b").ok);
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms::owner_all);
}

// A copy the program makes (a catalog's model, an installed description, a
// stock's model) took its source's mode: under umask 077 a 0755 source gave
// a copy others could read. It gets the umask's mode, and one it replaces
// keeps its own.
TEST_F(TextFileTest, ACopyGetsTheUmasksModeNotItsSources) {
    namespace fs = std::filesystem;
    const auto source = dir_ / "source.py3";
    ASSERT_TRUE(WriteFileAtomic(source, "description").ok);
    fs::permissions(source,
                    fs::perms::owner_all | fs::perms::group_all | fs::perms::others_read | fs::perms::others_exec);
    const mode_t old = ::umask(077);
    const FileWriteResult copied = CopyFileAtomic(source, dir_ / "copy.py3");
    ::umask(old);
    ASSERT_TRUE(copied.ok) << copied.error;
    EXPECT_EQ(Bytes(dir_ / "copy.py3"), "description");
    EXPECT_EQ(fs::status(dir_ / "copy.py3").permissions(), fs::perms::owner_read | fs::perms::owner_write);
    fs::permissions(dir_ / "copy.py3", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(CopyFileAtomic(source, dir_ / "copy.py3").ok);
    EXPECT_EQ(fs::status(dir_ / "copy.py3").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_FALSE(CopyFileAtomic(dir_ / "none", dir_ / "copy2").ok);
    EXPECT_FALSE(CopyFileAtomic(dir_.Path(), dir_ / "copy2").ok);
    ExpectOnly({"copy.py3", "source.py3"});
}

// A write-protected NC file was replaced by a save: its user made it
// read-only on purpose, root included.
TEST_F(TextFileTest, AWriteProtectedFileIsNotReplaced) {
    const auto path = dir_ / "prog.nc";
    ASSERT_TRUE(WriteFileAtomic(path, "kept").ok);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    const FileWriteResult w = WriteFileAtomic(path, "new");
    EXPECT_FALSE(w.ok);
    EXPECT_NE(w.error.find("write-protected"), std::string::npos) << w.error;
    EXPECT_EQ(Bytes(path), "kept");
    EXPECT_EQ(std::filesystem::status(path).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    ExpectOnly({"prog.nc"});
}

// A shop keeps part.nc as a link into the machine's shared folder: a save
// replaced the link with a file of its own and the machine kept running the
// old program. A save writes where the link leads, a link that leads
// nowhere yet included, and the link stays a link.
TEST_F(TextFileTest, ALinkIsWrittenThroughAndStaysALink) {
    namespace fs = std::filesystem;
    fs::create_directory(dir_ / "machine");
    ASSERT_TRUE(WriteFileAtomic(dir_ / "machine" / "victim.nc", "old").ok);
    fs::create_symlink("machine/victim.nc", dir_ / "link.nc");              // relative, to a file
    fs::create_symlink(dir_ / "machine" / "new.nc", dir_ / "dangling.nc");  // absolute, to nothing yet
    fs::create_symlink("link.nc", dir_ / "chain.nc");                       // a link to a link
    for (const char* name : {"link.nc", "dangling.nc", "chain.nc"}) {
        SCOPED_TRACE(name);
        const std::string text = std::string("program of ") + name;
        const FileWriteResult w = WriteFileAtomic(dir_ / name, text);
        ASSERT_TRUE(w.ok) << w.error;
        EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir_ / name)));
        EXPECT_EQ(Bytes(dir_ / name), text);
    }
    EXPECT_EQ(Bytes(dir_ / "machine" / "victim.nc"), "program of chain.nc");
    EXPECT_EQ(Bytes(dir_ / "machine" / "new.nc"), "program of dangling.nc");
    // Links that go round are refused with a reason, and nothing is written.
    fs::create_symlink("loop-b.nc", dir_ / "loop-a.nc");
    fs::create_symlink("loop-a.nc", dir_ / "loop-b.nc");
    const FileWriteResult loop = WriteFileAtomic(dir_ / "loop-a.nc", "x");
    EXPECT_FALSE(loop.ok);
    EXPECT_NE(loop.error.find("go round"), std::string::npos) << loop.error;
    ExpectOnly({"chain.nc", "dangling.nc", "link.nc", "loop-a.nc", "loop-b.nc", "machine"});
}

}  // namespace
}  // namespace zarvento
