// LineReader: one pass over the text, one line end per CR, LF or CR LF.
#include "platform/core/line_reader.h"

namespace zarvento {

bool LineReader::Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    const std::size_t end = text_.find_first_of("\r\n", pos_);
    if (end == std::string_view::npos) {
        line = text_.substr(pos_);
        pos_ = text_.size();
        return true;
    }
    line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    if (text_[end] == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    return true;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    LineReader reader(text);
    std::string_view line;
    while (reader.Next(line)) lines.emplace_back(line);
    return lines;
}

}  // namespace zarvento
