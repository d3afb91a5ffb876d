// Splitting text into lines whatever line ends it uses: CR, LF and CR LF all
// end one line, as files from Windows, Linux and old Mac tools mix them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zarvento {

// Reads lines from a text it does not own. The last line is returned even
// without a line end; a text that ends with a line end gives no empty line
// after it. The line ends themselves are never part of a line.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}

    // The next line in `line`; false when the text is used up.
    bool Next(std::string_view& line);

    // Offset of the first byte not yet read.
    std::size_t Position() const { return pos_; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// All lines of `text` (see LineReader).
std::vector<std::string> SplitLines(std::string_view text);

}  // namespace zarvento
