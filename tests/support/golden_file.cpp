// The comparison of computed texts with their golden files.
#include "golden_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

#include "test_support.h"

namespace zarvento::test {

namespace {

bool UpdateRequested() {
    const char* value = std::getenv(kUpdateGoldenVariable);
    return value != nullptr && *value != '\0' && std::string_view(value) != "0";
}

bool ReadWhole(const std::filesystem::path& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    text = bytes.str();
    return true;
}

// Line i (from 0) of a text, without its end; empty past the last.
std::string_view LineAt(std::string_view text, std::size_t i) {
    for (; i > 0; --i) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) return {};
        text.remove_prefix(end + 1);
    }
    return text.substr(0, text.find('\n'));
}

// The number (from 0) of the first line in which two different texts differ.
std::size_t FirstDifferingLine(std::string_view a, std::string_view b) {
    const std::size_t common = static_cast<std::size_t>(
        std::mismatch(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(std::min(a.size(), b.size())), b.begin())
            .first -
        a.begin());
    return static_cast<std::size_t>(std::count(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(common), '\n'));
}

}  // namespace

void ExpectGolden(const std::string& relative, const std::string& text, std::source_location where) {
    const std::filesystem::path reference = FixturePath(relative);
    std::filesystem::path review = reference;
    review += ".out";
    std::error_code ignored;
    if (UpdateRequested()) {
        std::ofstream(reference, std::ios::binary) << text;
        std::filesystem::remove(review, ignored);
        return;
    }
    std::string expected;
    const bool found = ReadWhole(reference, expected);
    if (found && text == expected) {
        std::filesystem::remove(review, ignored);
        return;
    }
    std::ofstream(review, std::ios::binary) << text;
    std::ostringstream message;
    if (!found) {
        message << "no golden file " << reference.string();
    } else {
        const std::size_t line = FirstDifferingLine(expected, text);
        message << relative << " differs from the computed text, first at line " << line + 1 << ":\n"
                << "  golden:   " << LineAt(expected, line) << "\n"
                << "  computed: " << LineAt(text, line);
    }
    message << "\nThe computed text is in " << review.string()
            << ": review it with diff and move it over the golden file, or rerun with " << kUpdateGoldenVariable
            << "=1.";
    ADD_FAILURE_AT(where.file_name(), static_cast<int>(where.line())) << message.str();
}

}  // namespace zarvento::test
