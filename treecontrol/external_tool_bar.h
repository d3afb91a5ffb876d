// CExternalToolBar, the tree-dialog control's toolbar: its buttons, their
// images and tooltip texts come from a resource module that the container
// names at run time (platform/processes/resource_module.h), loaded by handle (the
// container's, never freed here) or by file name (then the toolbar's own,
// freed by the next load and when the toolbar goes).
//
// The headless layout: buttons side by side from x = 0, each as wide as its
// image plus 7 and as high as its image plus 7, separators 8 wide; the
// toolbar is as high as its buttons plus a border of 2 above and below.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/variant.h"
#include "platform/dialogs/host_window.h"
#include "platform/processes/resource_module.h"

namespace pelmora {

class CExternalToolBar {
public:
    static constexpr int kControlId = 2003;
    static constexpr int kButtonMargin = 7;
    static constexpr int kSeparatorWidth = 8;
    static constexpr int kBorder = 2;
    // The tooltip's text buffer: a longer string is cut to it.
    static constexpr std::size_t kTooltipChars = 80;

    struct Button {
        int id = 0;  // 0: a separator
        int image = -1;
        bool enabled = true;
        bool checked = false;
    };

    CExternalToolBar();
    ~CExternalToolBar();
    CExternalToolBar(const CExternalToolBar&) = delete;
    CExternalToolBar& operator=(const CExternalToolBar&) = delete;

    // The toolbar's window inside `parent`, which gets the buttons' commands.
    bool Create(zarvento::HostWindow* parent);
    void Destroy();
    zarvento::HostWindow* Window() const;

    // Loads the toolbar `toolbarId` (a text: a toolbar name; else a number)
    // from the resource module `resModule`: an integer is a module handle, a
    // text that is no number a file to load. A module the toolbar loaded
    // before is freed first. False when there is no module or no such toolbar.
    bool LoadToolBar(const zarvento::Variant& resModule, const zarvento::Variant& toolbarId);
    zarvento::ModuleHandle Module() const { return module_; }
    bool OwnsModule() const { return ownsModule_; }

    const std::vector<Button>& Buttons() const { return buttons_; }
    // Buttons and separators.
    int ItemCount() const { return static_cast<int>(buttons_.size()); }
    const Button* FindButton(int id) const;
    const std::string& Bitmap() const { return bitmap_; }
    int Height() const { return imageHeight_ + kButtonMargin + 2 * kBorder; }
    // The button's rectangle in the toolbar; false for no such button.
    bool ButtonRect(int id, zarvento::WindowRect& rect) const;

    // The tooltip of a button: the module's string with the button's command
    // id, cut to kTooltipChars characters; none when the module has no such
    // string (the default handling then).
    std::optional<std::string> TooltipText(int id) const;
    // The tooltip the mouse brought up last; none when it rests on no button.
    const std::optional<std::string>& ShownTooltip() const { return shownTooltip_; }

    // Asks for the state of each button: true when the owner handles the id,
    // with its answers. A button nobody handles keeps its state.
    using StateQuery = std::function<bool(int id, bool& enabled, bool& checked)>;
    void UpdateButtons(const StateQuery& query);

private:
    class ToolBarWindow;
    void FreeOwnedModule();
    int ButtonAt(int x, int y) const;

    std::unique_ptr<ToolBarWindow> window_;
    zarvento::ModuleHandle module_ = 0;
    bool ownsModule_ = false;
    std::vector<Button> buttons_;
    std::string bitmap_;
    int imageWidth_ = 16, imageHeight_ = 15;
    std::optional<std::string> shownTooltip_;
};

}  // namespace pelmora
