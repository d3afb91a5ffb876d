// Resource modules of the headless host: what a resource library gives a
// program that loads it (toolbars with their bitmaps and buttons, and a string
// table), read from a description file of ours:
//
//     # the plan tree's buttons
//     toolbar 101 bitmap "plan_buttons.bmp" size 16 15
//         button 3501
//         separator
//         button 3502
//     end
//     toolbar "EDITBAR"
//         button 3510
//     end
//     string 3501 "Пересчитать план"
//
// A toolbar is named by a number (1..65535) or by a name; "#101" names the
// number 101, as the host's resource look-up does. Button images are taken
// from the bitmap in button order, separators skipped; the size is that of
// one image (16 by 15 when not given). Loading a file that is loaded already
// gives its handle again and counts the load; each free takes one back, and
// the last one unloads the module.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zarvento {

using ModuleHandle = std::int64_t;  // 0: no module

struct ToolBarResource {
    int id = 0;        // 0 for a named toolbar
    std::string name;  // empty for a numbered one
    std::string bitmap;
    int imageWidth = 16, imageHeight = 15;
    std::vector<int> buttons;  // command ids in order; 0 is a separator
};

class ResourceModule {
public:
    // Loads the description file (or counts one more load of it); 0 when the
    // file cannot be read or is malformed, with the reason in `error`.
    static ModuleHandle Load(const std::filesystem::path& file, std::string* error = nullptr);
    // Takes one load back; false when the handle names no loaded module.
    static bool Free(ModuleHandle module);
    static const ResourceModule* FromHandle(ModuleHandle module);
    // How many loads of the module are not freed yet; 0 when it is not loaded.
    static int LoadCount(ModuleHandle module);

    // Reads a description (the file name is for messages); false with the
    // reason in `error` when it is malformed.
    bool Parse(std::string_view text, std::string& error);

    const ToolBarResource* FindToolBar(int id) const;
    // By name; "#<number>" looks up the number.
    const ToolBarResource* FindToolBar(std::string_view name) const;
    std::optional<std::string> String(int id) const;
    const std::filesystem::path& File() const { return file_; }

private:
    std::filesystem::path file_;
    std::vector<ToolBarResource> toolBars_;
    std::unordered_map<int, std::string> strings_;
    int loads_ = 0;
};

}  // namespace zarvento
