// One installed post-processor: its name (the description file's name without
// the extension), the description file, and what the plan reads of it.
#pragma once

#include <string>

namespace zarvento {

class CPostProcessor {
public:
    CPostProcessor() = default;
    CPostProcessor(std::string name, std::string path) : name_(std::move(name)), path_(std::move(path)) {}

    const std::string& GetName() const { return name_; }
    const std::string& GetPath() const { return path_; }
    // FILE_EXTENSION of the description.
    const std::string& GetFileExtension() const { return fileExtension_; }

    // Reads the description file; false when it cannot be read, and then the
    // plan treats the post-processor as missing.
    bool ReadPostProcessorDescription();

private:
    std::string name_;
    std::string path_;
    std::string fileExtension_;
    std::string spindleSynchronCode_;
    std::string toolFormat_;
};

}  // namespace zarvento
