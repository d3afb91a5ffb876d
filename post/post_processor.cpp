// Reading what the plan needs of a post-processor's description.
#include "post/post_processor.h"

#include "platform/text_file.h"

namespace zarvento {

namespace {

// The value of "KEY=value" lines; empty when the key is absent.
std::string KeyValue(const std::string& text, const std::string& key) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string name = line.substr(0, eq);
        while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
        if (name != key) continue;
        std::string value = line.substr(eq + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.erase(0, 1);
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
        return value;
    }
    return {};
}

}  // namespace

bool CPostProcessor::ReadPostProcessorDescription() {
    // Descriptions are written in the Cyrillic code page.
    FileReadResult file = ReadTextFile(path_, TextEncoding::Cp1251);
    if (!file.ok) return false;
    fileExtension_ = KeyValue(file.text, "FILE_EXTENSION");
    spindleSynchronCode_ = KeyValue(file.text, "CODE_SYNCHRON_NULLSPINDEL");
    toolFormat_ = KeyValue(file.text, "FORMAT_T");
    return true;
}

}  // namespace zarvento
