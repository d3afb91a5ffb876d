// CPelmora, the tree-view control: a control whose window is the host's tree
// window itself. It adds items, walks them, keeps the tree as a text model of
// one line per item (file and Items), turns the tree's notifications into
// events, shows the container's context menu on a right click and handles the
// keys F2, Enter, Escape and Delete when it is not read-only.
//
// The text model: the items in pre-order, each line the item's label after as
// many TABs as the item has ancestors. Files are written in UTF-8 with CR LF
// line ends; a file is read as UTF-8 (a BOM is skipped) or, when it is no
// valid UTF-8, as the Cyrillic code page of files written on Windows.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/core/connection_point.h"
#include "platform/core/host_object.h"
#include "platform/dialogs/host_control.h"
#include "platform/dialogs/popup_menu.h"
#include "platform/tree/tree_control.h"
#include "treecontrol/pelmora_app.h"
#include "treecontrol/pelmora_lib.h"

namespace pelmora {

class CPelmora : public zarvento::HostObject,
                 public IPelmora,
                 public zarvento::HostControl,
                 public zarvento::ISupportErrorInfo,
                 private zarvento::TreeControlOwner,
                 private PreTranslateTarget {
public:
    // The window's own styles, added when it is made.
    static constexpr std::uint32_t kTreeStyle =
        zarvento::kTreeHasButtons | zarvento::kTreeHasLines | zarvento::kTreeLinesAtRoot;
    // A file larger than this is no tree file.
    static constexpr std::size_t kMaxTreeFileBytes = 64u << 20;

    CPelmora();
    ~CPelmora() override;

    // IPelmora.
    HRESULT get_Handle(OLE_HANDLE* handle) override;
    HRESULT AddItem(HTREEITEM_ID parentItemId, const std::string& itemText, std::int32_t nImage,
                    std::int32_t nSelectImage, HTREEITEM_ID insertAfter, HTREEITEM_ID* itemId) override;
    HRESULT SetContextMenu(OLE_HANDLE menu) override;
    HRESULT SetImageList(OLE_HANDLE imageList, std::int32_t nImageListType) override;
    HRESULT GetNextItem(HTREEITEM_ID hItem, PelmoraNextItemEnum nCode, HTREEITEM_ID* nextItemId) override;
    HRESULT LoadFromFile(const std::string& fileName, VARIANT_BOOL* result) override;
    HRESULT SaveToFile(const std::string& fileName, VARIANT_BOOL* result) override;
    HRESULT get_Items(Variant* items) override;
    HRESULT put_Items(const Variant& items) override;
    HRESULT get_ReadOnly(VARIANT_BOOL* readOnly) override;
    HRESULT put_ReadOnly(VARIANT_BOOL readOnly) override;
    HRESULT Advise(std::shared_ptr<DPelmoraEvents> sink, AdviseCookie* cookie) override;
    HRESULT Unadvise(AdviseCookie cookie) override;

    // HostControl: the window made by a container.
    bool CreateControlWindow(zarvento::HostWindow* parent, const zarvento::WindowRect& rect) override;
    void DestroyControlWindow() override;
    zarvento::HostWindow* ControlWindow() const override { return tree_.get(); }
    void SetControlRect(const zarvento::WindowRect& rect) override;

    // The window as a child of another control of the library: with the
    // extra styles and the child id that control gives it.
    bool CreateTreeWindow(zarvento::HostWindow* parent, const zarvento::WindowRect& rect, int controlId,
                          std::uint32_t extraStyle);
    // The tree window; null before it exists.
    zarvento::TreeControl* Tree() const { return tree_.get(); }

    // Error records come from IPelmora's methods only.
    HRESULT InterfaceSupportsErrorInfo(std::string_view interfaceId) override;

    // The class ids of the pages the "Properties" verb shows.
    std::vector<std::string> PropertyPages() const;

    // The text model of the tree, and the tree built from one.
    std::vector<std::string> CollectLines() const;
    void BuildTree(const std::vector<std::string>& lines);

private:
    // TreeControlOwner.
    void OnTreeMessage(zarvento::HostMessage& message) override;
    void OnSelChanged(zarvento::TreeItem oldItem, zarvento::TreeItem newItem, zarvento::TreeCause cause) override;
    void OnItemExpanded(zarvento::TreeItem item, zarvento::TreeExpand action) override;
    bool OnBeginLabelEdit(zarvento::TreeItem item) override;
    bool OnEndLabelEdit(zarvento::TreeItem item, const std::string* text) override;
    void OnRightClick() override;
    // PreTranslateTarget: F2, Enter, Escape and Delete while the tree has the focus.
    bool PreTranslateMessage(zarvento::HostMessage& message) override;

    // The context-menu routine at a client point of the tree.
    void ContextMenuAt(int x, int y);
    void UpdateMenu(zarvento::MenuHandle menu);
    void StockEvents(zarvento::HostMessage& message);

    // Fires an event to every sink, the control held alive meanwhile.
    template <typename Event>
    void Fire(Event&& event);

    std::unique_ptr<zarvento::TreeControl> tree_;
    bool readOnly_ = false;
    OLE_HANDLE contextMenu_ = 0;  // the container's; never made or destroyed here
    zarvento::ConnectionPoint<DPelmoraEvents> events_;
};

}  // namespace pelmora
