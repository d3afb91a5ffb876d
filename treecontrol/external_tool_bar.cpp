// The external toolbar: its module, its buttons, their clicks and tooltips.
#include "treecontrol/external_tool_bar.h"

#include <cmath>
#include <cstdint>

#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"
#include "platform/core/utf8_text.h"

namespace pelmora {

using zarvento::HostMessage;
using zarvento::MessageKind;
using zarvento::ResourceModule;
using zarvento::Variant;
using zarvento::VarType;

namespace {

// The value as a 64-bit integer, as the host's type change makes one: whole
// numbers of any kind, reals rounded half to even, booleans -1 and 0, empty 0,
// and texts that read as numbers; none for anything else.
std::optional<std::int64_t> ToInt64(const Variant& v) {
    auto fromReal = [](double d) -> std::optional<std::int64_t> {
        if (!std::isfinite(d)) return std::nullopt;
        const double r = std::nearbyint(d);
        if (r < -9.2233720368547758e18 || r >= 9.2233720368547758e18) return std::nullopt;
        return static_cast<std::int64_t>(r);
    };
    switch (v.Type()) {
        case VarType::Empty: return 0;
        case VarType::I4:
        case VarType::Int: return v.AsI4();
        case VarType::R8: return fromReal(v.AsR8());
        case VarType::Bool: return v.AsBool() ? -1 : 0;
        case VarType::BStr: {
            std::string_view text = v.AsBStr();
            while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
            while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
            double d = 0;
            if (!zarvento::ParseDouble(text, d)) return std::nullopt;
            return fromReal(d);
        }
        default: return std::nullopt;
    }
}

}  // namespace

// The toolbar's window: clicks on buttons become commands of the parent,
// the mouse over a button brings its tooltip up.
class CExternalToolBar::ToolBarWindow : public zarvento::HostWindow {
public:
    ToolBarWindow(CExternalToolBar& bar, zarvento::HostWindow* parent) : HostWindow(parent, kControlId), bar_(bar) {}

protected:
    bool WindowProc(HostMessage& message) override {
        switch (message.kind) {
            case MessageKind::LButtonUp: {
                const int id = bar_.ButtonAt(message.x, message.y);
                const Button* button = bar_.FindButton(id);
                if (!button || !button->enabled || !Parent()) return true;
                HostMessage command{MessageKind::Command, Parent()->Handle(), id};
                Parent()->Send(command);
                return true;
            }
            case MessageKind::MouseMove: {
                const int id = bar_.ButtonAt(message.x, message.y);
                bar_.shownTooltip_ = id != 0 ? bar_.TooltipText(id) : std::nullopt;
                return true;
            }
            default: return false;
        }
    }

private:
    CExternalToolBar& bar_;
};

CExternalToolBar::CExternalToolBar() = default;

CExternalToolBar::~CExternalToolBar() {
    Destroy();
    FreeOwnedModule();
}

bool CExternalToolBar::Create(zarvento::HostWindow* parent) {
    if (window_) return true;
    try {
        zarvento::HostFaults::Check("Pelmora.CreateToolBar");
        window_ = std::make_unique<ToolBarWindow>(*this, parent);
    } catch (...) {
        return false;
    }
    return true;
}

void CExternalToolBar::Destroy() { window_.reset(); }

zarvento::HostWindow* CExternalToolBar::Window() const { return window_.get(); }

void CExternalToolBar::FreeOwnedModule() {
    if (!ownsModule_) return;
    ResourceModule::Free(module_);
    module_ = 0;
    ownsModule_ = false;
}

bool CExternalToolBar::LoadToolBar(const Variant& resModule, const Variant& toolbarId) {
    FreeOwnedModule();
    // A number is a module the container loaded (and frees); a text that is
    // no number names a file, loaded here and freed here.
    zarvento::ModuleHandle module = 0;
    if (const std::optional<std::int64_t> handle = ToInt64(resModule)) {
        module = *handle;
    } else if (resModule.Type() == VarType::BStr) {
        module = ResourceModule::Load(resModule.AsBStr());
        ownsModule_ = module != 0;
    }
    module_ = module;
    if (module == 0) return false;
    const ResourceModule* resources = ResourceModule::FromHandle(module);
    if (!resources) return false;
    const zarvento::ToolBarResource* bar = nullptr;
    if (toolbarId.Type() == VarType::BStr) {
        bar = resources->FindToolBar(toolbarId.AsBStr());
    } else {
        std::int32_t id = 0;
        try {
            id = toolbarId.ToI4();
        } catch (const zarvento::HostError&) {
            return false;
        }
        bar = resources->FindToolBar(id & 0xFFFF);
    }
    if (!bar) return false;
    buttons_.clear();
    int image = 0;
    for (int id : bar->buttons) {
        Button button;
        button.id = id;
        if (id != 0) button.image = image++;
        buttons_.push_back(button);
    }
    bitmap_ = bar->bitmap;
    imageWidth_ = bar->imageWidth;
    imageHeight_ = bar->imageHeight;
    return true;
}

const CExternalToolBar::Button* CExternalToolBar::FindButton(int id) const {
    if (id == 0) return nullptr;
    for (const Button& b : buttons_)
        if (b.id == id) return &b;
    return nullptr;
}

bool CExternalToolBar::ButtonRect(int id, zarvento::WindowRect& rect) const {
    int x = 0;
    for (const Button& b : buttons_) {
        const int width = b.id == 0 ? kSeparatorWidth : imageWidth_ + kButtonMargin;
        if (b.id != 0 && b.id == id) {
            rect = {x, kBorder, width, imageHeight_ + kButtonMargin};
            return true;
        }
        x += width;
    }
    return false;
}

int CExternalToolBar::ButtonAt(int x, int y) const {
    for (const Button& b : buttons_) {
        zarvento::WindowRect r;
        if (b.id != 0 && ButtonRect(b.id, r) && x >= r.left && x < r.left + r.width && y >= r.top &&
            y < r.top + r.height)
            return b.id;
    }
    return 0;
}

std::optional<std::string> CExternalToolBar::TooltipText(int id) const {
    const ResourceModule* resources = ResourceModule::FromHandle(module_);
    if (!resources) return std::nullopt;
    std::optional<std::string> text = resources->String(id);
    if (!text) return std::nullopt;
    return std::string(zarvento::Utf8Prefix(*text, kTooltipChars));
}

void CExternalToolBar::UpdateButtons(const StateQuery& query) {
    // By index: a handler may load another toolbar meanwhile.
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        const int id = buttons_[i].id;
        if (id == 0) continue;
        bool enabled = true, checked = false;
        if (!query(id, enabled, checked) || i >= buttons_.size() || buttons_[i].id != id) continue;
        buttons_[i].enabled = enabled;
        buttons_[i].checked = checked;
    }
}

}  // namespace pelmora
