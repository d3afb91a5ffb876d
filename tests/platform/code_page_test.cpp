// Windows-1251 <-> UTF-8 at the edge of the system.
#include "platform/core/code_page.h"

#include <gtest/gtest.h>
#include <iconv.h>

namespace zarvento {
namespace {

// glibc's own converter, as an independent reference for the table.
std::string IconvCp1251ToUtf8(std::string in) {
    iconv_t cd = iconv_open("UTF-8", "CP1251");
    if (cd == reinterpret_cast<iconv_t>(-1)) return "<no iconv>";
    std::string out(in.size() * 4, '\0');
    char* src = in.data();
    char* dst = out.data();
    std::size_t srcLeft = in.size(), dstLeft = out.size();
    const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1)) return "<illegal>";
    out.resize(out.size() - dstLeft);
    return out;
}

TEST(CodePage, RussianTextRoundTrips) {
    const std::string russian = "Ошибка сохранения программы в файл: «Ёлка» №5 — ок";
    const std::string cp = Utf8ToCp1251(russian).text;
    EXPECT_EQ(cp.size(), 50u);                               // one byte per character
    EXPECT_EQ(cp.substr(0, 6), "\xCE\xF8\xE8\xE1\xEA\xE0");  // "Ошибка"
    EXPECT_EQ(Cp1251ToUtf8(cp), russian);
    EXPECT_TRUE(Utf8ToCp1251(russian).Exact());
}

TEST(CodePage, EveryHighByteMatchesTheSystemConverterAndRoundTrips) {
    for (int b = 0x80; b <= 0xFF; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const std::string utf8 = Cp1251ToUtf8(byte);
        EXPECT_TRUE(IsValidUtf8(utf8)) << std::hex << b;
        if (b == 0x98) {
            EXPECT_EQ(utf8, "\xC2\x98");  // unassigned: kept as U+0098
        } else {
            EXPECT_EQ(utf8, IconvCp1251ToUtf8(byte)) << std::hex << b;
        }
        const CodePageConversion back = Utf8ToCp1251(utf8);
        EXPECT_EQ(back.text, byte) << std::hex << b;
        EXPECT_TRUE(back.Exact()) << std::hex << b;
    }
}

TEST(CodePage, AsciiPassesUnchanged) {
    std::string ascii;
    for (int b = 0; b < 0x80; ++b) ascii += static_cast<char>(b);
    EXPECT_EQ(Cp1251ToUtf8(ascii), ascii);
    EXPECT_EQ(Utf8ToCp1251(ascii).text, ascii);
}

TEST(CodePage, UnconvertibleInputBecomesCountedQuestionMarks) {
    struct Case {
        std::string utf8;
        std::string cp;
        std::size_t count;
        std::size_t first;
    };
    const Case cases[] = {
        {"a\xE4\xB8\xAD"
         "b",
         "a?b", 1, 1},                    // a CJK character
        {"\xF0\x9F\x98\x80", "?", 1, 0},  // outside the BMP
        {"\xC2\x80", "?", 1, 0},          // a C1 control other than U+0098
        {"x\xFFy", "x?y", 1, 1},          // a byte that never starts UTF-8
        {"\xD0", "?", 1, 0},              // a sequence cut short at the end
        {"\xC0\xAF", "??", 2, 0},         // overlong '/'
        {"\xED\xA0\x80", "???", 3, 0},    // a surrogate
        {"Я\xE2\x82", "\xDF??", 2, 2},    // cut three-byte sequence after a letter
    };
    for (const auto& c : cases) {
        const CodePageConversion r = Utf8ToCp1251(c.utf8);
        EXPECT_EQ(r.text, c.cp) << c.utf8;
        EXPECT_EQ(r.unconvertible, c.count) << c.utf8;
        EXPECT_EQ(r.firstUnconvertible, c.first) << c.utf8;
    }
}

TEST(CodePage, Utf8Validity) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("Привет, \xF0\x9F\x98\x80"));
    EXPECT_FALSE(IsValidUtf8("\xCF\xF0\xE8\xE2\xE5\xF2"));  // "Привет" in the code page
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));          // above U+10FFFF
}

}  // namespace
}  // namespace zarvento
