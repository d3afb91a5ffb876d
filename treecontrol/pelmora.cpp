// CPelmora: its window, its automation methods, and the tree's notifications,
// keys and context menu turned into events.
#include "treecontrol/pelmora.h"

#include "platform/core/host_faults.h"
#include "platform/core/utf8_text.h"
#include "platform/dialogs/message_loop.h"
#include "platform/dialogs/popup_menu.h"
#include "platform/processes/component_registry.h"

namespace pelmora {

using zarvento::AutomationCall;
using zarvento::E_INVALIDARG_;
using zarvento::HostMessage;
using zarvento::MessageKind;
using zarvento::S_OK_;
using zarvento::TreeItem;

namespace {

const zarvento::AutomationSource kSource = CPelmoraApp::Source(kIPelmoraIid);

bool IsMenuCommand(int id) { return id >= pmTVGN_IDM_MIN && id <= pmTVGN_IDM_MAX; }

}  // namespace

CPelmora::CPelmora() { CPelmoraApp::Instance().ObjectCreated(); }

CPelmora::~CPelmora() {
    DestroyControlWindow();
    CPelmoraApp::Instance().ObjectDestroyed();
}

template <typename Event>
void CPelmora::Fire(Event&& event) {
    // A sink may release the control while it handles the event.
    const std::shared_ptr<HostObject> self = weak_from_this().lock();
    events_.Fire(event);
}

// --- the window ---

bool CPelmora::CreateTreeWindow(zarvento::HostWindow* parent, const zarvento::WindowRect& rect, int controlId,
                                std::uint32_t extraStyle) {
    if (tree_) return true;
    try {
        zarvento::HostFaults::Check("Pelmora.CreateWindow");
        tree_ = std::make_unique<zarvento::TreeControl>(parent, controlId);
    } catch (...) {
        return false;
    }
    tree_->SetStyle(tree_->Style() | kTreeStyle | extraStyle);
    tree_->Move(rect);
    tree_->SetOwner(this);
    CPelmoraApp::Instance().AddWindow(tree_->Handle(), this);
    return true;
}

bool CPelmora::CreateControlWindow(zarvento::HostWindow* parent, const zarvento::WindowRect& rect) {
    return CreateTreeWindow(parent, rect, 0, 0);
}

void CPelmora::DestroyControlWindow() {
    if (!tree_) return;
    CPelmoraApp::Instance().RemoveWindow(tree_->Handle());
    tree_->SetOwner(nullptr);
    tree_.reset();
}

void CPelmora::SetControlRect(const zarvento::WindowRect& rect) {
    if (tree_) tree_->Move(rect);
}

std::vector<std::string> CPelmora::PropertyPages() const { return {kPelmoraPropPageClsid}; }

HRESULT CPelmora::InterfaceSupportsErrorInfo(std::string_view interfaceId) {
    return CPelmoraApp::SameId(interfaceId, kIPelmoraIid) ? S_OK_ : zarvento::S_FALSE_;
}

// --- IPelmora ---

HRESULT CPelmora::get_Handle(OLE_HANDLE* handle) {
    return AutomationCall(kSource, [&] {
        if (!handle) return E_INVALIDARG_;
        *handle = tree_ ? tree_->Handle() : 0;
        return S_OK_;
    });
}

HRESULT CPelmora::AddItem(HTREEITEM_ID parentItemId, const std::string& itemText, std::int32_t nImage,
                          std::int32_t nSelectImage, HTREEITEM_ID insertAfter, HTREEITEM_ID* itemId) {
    return AutomationCall(kSource, [&] {
        if (!itemId) return E_INVALIDARG_;
        *itemId = 0;
        if (tree_) *itemId = tree_->Insert(parentItemId, insertAfter, itemText, nImage, nSelectImage);
        return S_OK_;
    });
}

HRESULT CPelmora::SetContextMenu(OLE_HANDLE menu) {
    contextMenu_ = menu;
    return S_OK_;
}

HRESULT CPelmora::SetImageList(OLE_HANDLE imageList, std::int32_t nImageListType) {
    if (imageList != 0 && tree_) tree_->SetImageList(imageList, nImageListType);
    return S_OK_;
}

HRESULT CPelmora::GetNextItem(HTREEITEM_ID hItem, PelmoraNextItemEnum nCode, HTREEITEM_ID* nextItemId) {
    return AutomationCall(kSource, [&] {
        if (!nextItemId) return E_INVALIDARG_;
        *nextItemId = tree_ ? tree_->GetNextItem(hItem, nCode) : 0;
        return S_OK_;
    });
}

HRESULT CPelmora::get_ReadOnly(VARIANT_BOOL* readOnly) {
    if (!readOnly) return E_INVALIDARG_;
    *readOnly = readOnly_ ? VARIANT_TRUE_ : VARIANT_FALSE_;
    return S_OK_;
}

HRESULT CPelmora::put_ReadOnly(VARIANT_BOOL readOnly) {
    readOnly_ = readOnly != 0;
    return S_OK_;
}

HRESULT CPelmora::Advise(std::shared_ptr<DPelmoraEvents> sink, AdviseCookie* cookie) {
    return AutomationCall(kSource, [&] {
        if (!cookie || !sink) return E_INVALIDARG_;
        *cookie = events_.Advise(std::move(sink));
        return S_OK_;
    });
}

HRESULT CPelmora::Unadvise(AdviseCookie cookie) {
    return events_.Unadvise(cookie) ? S_OK_ : zarvento::CONNECT_E_NOCONNECTION_;
}

// --- the tree's notifications ---

void CPelmora::OnSelChanged(TreeItem, TreeItem newItem, zarvento::TreeCause) {
    Fire([&](DPelmoraEvents& sink) { sink.NodeClick(newItem); });
}

void CPelmora::OnItemExpanded(TreeItem item, zarvento::TreeExpand action) {
    if (action == zarvento::TreeExpand::Collapse) {
        Fire([&](DPelmoraEvents& sink) { sink.Collapse(item); });
    } else {
        Fire([&](DPelmoraEvents& sink) { sink.Expand(item); });
    }
}

bool CPelmora::OnBeginLabelEdit(TreeItem) {
    // A read-only tree refuses every edit, without asking anybody.
    if (readOnly_) return true;
    std::int16_t cancel = 0;
    Fire([&](DPelmoraEvents& sink) { sink.BeforeLabelEdit(&cancel); });
    return cancel != 0;
}

bool CPelmora::OnEndLabelEdit(TreeItem item, const std::string* text) {
    std::int16_t cancel = 0;
    std::string newString = text ? *text : std::string();
    Fire([&](DPelmoraEvents& sink) { sink.AfterLabelEdit(&cancel, &newString); });
    if (cancel == 0 && text && tree_ && tree_->Exists(item)) {
        // The label comes from the edit buffer: the typed text, or the sink's
        // text cut to what the buffer holds.
        std::string label = *text;
        if (!newString.empty())
            label = std::string(zarvento::Utf8Prefix(newString, zarvento::TreeControl::kMaxLabelEditChars));
        tree_->SetItemText(item, std::move(label));
    }
    // The label is set here or stays; the tree never takes the text itself.
    return false;
}

void CPelmora::OnRightClick() {
    const zarvento::CursorPoint cursor = zarvento::CursorPosition();
    if (tree_ && cursor.window == tree_->Handle()) ContextMenuAt(cursor.x, cursor.y);
}

void CPelmora::ContextMenuAt(int x, int y) {
    const std::shared_ptr<HostObject> self = weak_from_this().lock();
    const zarvento::TreeHit hit = tree_->HitTest(x, y);
    using Part = zarvento::TreeHitPart;
    // On an item, but not on its expand button.
    if (hit.part != Part::Icon && hit.part != Part::Label && hit.part != Part::Indent && hit.part != Part::StateIcon &&
        hit.part != Part::Right)
        return;
    if (tree_->SelectedItem() == hit.item) {
        Fire([&](DPelmoraEvents& sink) { sink.NodeClick(hit.item); });
    } else {
        tree_->SelectItem(hit.item, zarvento::TreeCause::ByMouse);
    }
    // The sinks may have taken the window down or the menu away.
    if (!tree_ || contextMenu_ == 0 || !zarvento::PopupMenu::IsMenu(contextMenu_)) return;
    zarvento::TrackPopupMenu(contextMenu_, tree_->Handle());
    if (tree_) tree_->Redraw();
}

void CPelmora::UpdateMenu(zarvento::MenuHandle menu) {
    zarvento::PopupMenu* popup = zarvento::PopupMenu::FromHandle(menu);
    if (!popup) return;
    std::vector<int> ids;
    for (const zarvento::MenuItem& item : popup->Items())
        if (!item.separator && item.submenu == 0 && IsMenuCommand(item.id)) ids.push_back(item.id);
    for (int id : ids) {
        VARIANT_BOOL enabled = VARIANT_TRUE_;
        std::int32_t checked = 0;
        Fire([&](DPelmoraEvents& sink) { sink.MenuCommandUpdate(id, &enabled, &checked); });
        // The container may destroy the menu while it answers.
        popup = zarvento::PopupMenu::FromHandle(menu);
        if (!popup) return;
        popup->Enable(id, enabled != 0);
        popup->Check(id, checked != 0);
    }
}

void CPelmora::StockEvents(HostMessage& message) {
    const auto shift = static_cast<std::int16_t>(message.shift);
    const std::int32_t x = message.x, y = message.y;
    switch (message.kind) {
        case MessageKind::KeyDown:
        case MessageKind::KeyUp: {
            auto key = static_cast<std::int16_t>(message.code);
            if (message.kind == MessageKind::KeyDown) {
                Fire([&](DPelmoraEvents& sink) { sink.KeyDown(&key, shift); });
            } else {
                Fire([&](DPelmoraEvents& sink) { sink.KeyUp(&key, shift); });
            }
            // A sink that clears the key keeps it from the tree.
            if (key == 0) message.kind = MessageKind::Null;
            message.code = key;
            break;
        }
        case MessageKind::Char: {
            auto key = static_cast<std::int16_t>(message.code);
            Fire([&](DPelmoraEvents& sink) { sink.KeyPress(&key); });
            if (key == 0) message.kind = MessageKind::Null;
            message.code = key;
            break;
        }
        case MessageKind::LButtonDown:
        case MessageKind::RButtonDown: {
            const std::int16_t button =
                message.kind == MessageKind::LButtonDown ? zarvento::kLeftButton : zarvento::kRightButton;
            Fire([&](DPelmoraEvents& sink) { sink.MouseDown(button, shift, x, y); });
            break;
        }
        case MessageKind::LButtonUp:
            Fire([&](DPelmoraEvents& sink) { sink.MouseUp(zarvento::kLeftButton, shift, x, y); });
            Fire([&](DPelmoraEvents& sink) { sink.Click(); });
            break;
        case MessageKind::RButtonUp:
            Fire([&](DPelmoraEvents& sink) { sink.MouseUp(zarvento::kRightButton, shift, x, y); });
            break;
        case MessageKind::LButtonDblClk: Fire([&](DPelmoraEvents& sink) { sink.DblClick(); }); break;
        case MessageKind::MouseMove: Fire([&](DPelmoraEvents& sink) { sink.MouseMove(0, shift, x, y); }); break;
        default: break;
    }
}

void CPelmora::OnTreeMessage(HostMessage& message) {
    switch (message.kind) {
        case MessageKind::InitMenuPopup:
            UpdateMenu(message.menu);
            message.kind = MessageKind::Null;
            return;
        case MessageKind::Command:
            // Only the context menu's range is the tree's; other ids pass.
            if (IsMenuCommand(message.code)) {
                const std::int32_t id = message.code;
                Fire([&](DPelmoraEvents& sink) { sink.MenuCommand(id); });
                message.kind = MessageKind::Null;
            }
            return;
        default: StockEvents(message); return;
    }
}

bool CPelmora::PreTranslateMessage(HostMessage& message) {
    if (message.kind != MessageKind::KeyDown || readOnly_ || !tree_) return false;
    // Only while the tree or its label edit box has the focus.
    const zarvento::HostWindow* focus = zarvento::HostWindow::Focus();
    if (!focus || !tree_->Contains(focus)) return false;
    const std::shared_ptr<HostObject> self = weak_from_this().lock();
    switch (message.code) {
        case zarvento::vk::Return: {
            std::int16_t cancel = 0;
            Fire([&](DPelmoraEvents& sink) { sink.BeforeLabelEdit(&cancel); });
            return true;
        }
        case zarvento::vk::Escape: return tree_->EditControl() != nullptr && tree_->EndEditLabelNow(true);
        case zarvento::vk::Delete: {
            if (tree_->SelectedItem() == zarvento::kNoTreeItem) return false;
            std::int16_t cancel = 0;
            std::string newString;
            Fire([&](DPelmoraEvents& sink) { sink.AfterLabelEdit(&cancel, &newString); });
            return true;
        }
        case zarvento::vk::F2: {
            const TreeItem selected = tree_->SelectedItem();
            if (selected == zarvento::kNoTreeItem) return false;
            tree_->EditLabel(selected);
            return true;
        }
        default: return false;
    }
}

}  // namespace pelmora
