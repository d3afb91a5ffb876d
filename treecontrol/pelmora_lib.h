// PelmoraLib, the type library of Pelmora's controls: their ids, ProgIDs,
// automation interfaces and event interfaces. A client includes this header
// and nothing else of Pelmora: it creates the controls by ProgID through the
// host's component registry and reaches them through these interfaces, so it
// never links the library.
//
// The interfaces keep the shape of the controls' dual interfaces: every
// method answers an HRESULT (S_OK_, or an error with the calling thread's
// error record, platform/core/automation_error.h), a null out-pointer gives
// E_INVALIDARG, and properties are get_/put_ pairs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/core/connection_point.h"
#include "platform/core/host_error.h"
#include "platform/core/variant.h"

namespace pelmora {

using zarvento::AdviseCookie;
using zarvento::HRESULT;
using zarvento::Variant;

// A tree item's handle, 64-bit; 0 is none (as a parent: the top level).
using HTREEITEM_ID = std::int64_t;
// A window, menu or image-list handle as automation passes it.
using OLE_HANDLE = std::uint32_t;
using VARIANT_BOOL = std::int16_t;
inline constexpr VARIANT_BOOL VARIANT_TRUE_ = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE_ = 0;

// --- the library ---

inline constexpr const char* kLibId = "{575FCDDC-32E8-4388-B63B-DBA9B355D509}";
inline constexpr const char* kLibName = "PelmoraLib";
inline constexpr const char* kLibVersion = "1.0";
inline constexpr const char* kLibHelpFile = "Pelmora.hlp";

// "Тип запрашиваемого листа дерева.": the tree control's own get-next codes.
enum PelmoraNextItemEnum : std::int32_t {
    pmTVGN_ROOT = 0,
    pmTVGN_NEXT = 1,
    pmTVGN_PREVIOUS = 2,
    pmTVGN_PARENT = 3,
    pmTVGN_CHILD = 4,
    pmTVGN_FIRSTVISIBLE = 5,
    pmTVGN_NEXTVISIBLE = 6,
    pmTVGN_PREVIOUSVISIBLE = 7,
    pmTVGN_DROPHILITE = 8,
    pmTVGN_CARET = 9,
};

enum PelmoraIDEnum : std::int32_t {
    pmTVGN_IDM_MIN = 500,   // "Минимальный идентификатор команды в меню."
    pmTVGN_IDM_MAX = 3500,  // "Максимальный идентификатор команды в меню."
    pmTVGN_IDCM_MIN = 3501,  // "Минимальный идентификатор команды в панеле команд."
    pmTVGN_IDCM_MAX = 6500,  // "Максимальный идентификатор команды в панеле команд."
};

// --- classes, ProgIDs and interfaces ---

inline constexpr const char* kPelmoraClsid = "{D0FCCCCB-3BAA-4A23-8145-64B478018737}";
inline constexpr const char* kPelmoraProgId = "Tindral.TindralViewCtrl.1";
inline constexpr const char* kPmTreeDlgClsid = "{718E4ED9-10AA-4B45-BE95-7147C1C09575}";
inline constexpr const char* kPmTreeDlgProgId = "Tindral.TindralCtrl.1";
// The name Zarvento's plan tree asks for the tree-dialog control by.
inline constexpr const char* kPmTreeDlgAliasProgId = "Tindral.TreeDlgCtrl.1";
inline constexpr const char* kPelmoraPropPageClsid = "{C12694D4-B7FC-4C8F-9967-0973CC8D33C6}";
inline constexpr const char* kPelmoraPropPageProgId = "Tindral.TindralViewPropPage.1";
inline constexpr const char* kPmTreeDlgPropPageClsid = "{8F5D6DF7-237F-4D72-B14B-17C8E9A34D15}";
inline constexpr const char* kPmTreeDlgPropPageProgId = "Tindral.TindralDlgPropPage.1";

inline constexpr const char* kIPelmoraIid = "{F8328F9C-4406-42EB-A5A6-B919559CDA71}";
inline constexpr const char* kDPelmoraEventsIid = "{112856D1-2C59-4E73-85F4-739DF65DBF59}";
inline constexpr const char* kIpmTreeDlgIid = "{9AB0260E-A1D2-4BE5-B7EC-0AE35B71A676}";
inline constexpr const char* kDpmTreeDlgEventsIid = "{89A58858-70D6-4787-AA53-4CE4E7C779EA}";

// The event interfaces' names in the library are "_DPelmoraEvents" and
// "_DpmTreeDlgEvents"; C++ keeps names with an underscore and a capital for
// itself, so the classes drop the underscore.

// Events of the tree view. A sink overrides the events it wants; the rest
// do nothing, as a dispatch sink ignores members it does not know.
class DPelmoraEvents {
public:
    virtual ~DPelmoraEvents() = default;
    virtual void BeforeLabelEdit(std::int16_t* /*cancel*/) {}                                                     // 1
    virtual void AfterLabelEdit(std::int16_t* /*cancel*/, std::string* /*newString*/) {}                          // 2
    virtual void Collapse(HTREEITEM_ID /*nodeId*/) {}                                                             // 3
    virtual void Expand(HTREEITEM_ID /*nodeId*/) {}                                                               // 4
    virtual void NodeClick(HTREEITEM_ID /*nodeId*/) {}                                                            // 5
    virtual void MenuCommand(std::int32_t /*id*/) {}                                                              // 7
    virtual void MenuCommandUpdate(std::int32_t /*id*/, VARIANT_BOOL* /*enabled*/, std::int32_t* /*checked*/) {}  // 8
    // Stock events, from the tree window's mouse and keyboard messages.
    virtual void Click() {}                                                     // -600
    virtual void DblClick() {}                                                  // -601
    virtual void KeyDown(std::int16_t* /*keyCode*/, std::int16_t /*shift*/) {}  // -602
    virtual void KeyPress(std::int16_t* /*keyAscii*/) {}                        // -603
    virtual void KeyUp(std::int16_t* /*keyCode*/, std::int16_t /*shift*/) {}    // -604
    virtual void MouseDown(std::int16_t /*button*/, std::int16_t /*shift*/, std::int32_t /*x*/, std::int32_t /*y*/) {}
    virtual void MouseMove(std::int16_t /*button*/, std::int16_t /*shift*/, std::int32_t /*x*/, std::int32_t /*y*/) {}
    virtual void MouseUp(std::int16_t /*button*/, std::int16_t /*shift*/, std::int32_t /*x*/, std::int32_t /*y*/) {}
};

// "Pelmora Control - Tindral.TindralViewCtrl.1": the tree view.
class IPelmora {
public:
    virtual ~IPelmora() = default;
    // "HWND.": the tree window's handle, by which the host finds the window
    // (zarvento::TreeControl::FromHandle); 0 before the window exists.
    virtual HRESULT get_Handle(OLE_HANDLE* handle) = 0;
    // "Добавить элемент.": a new item under `parentItemId` (0: the top level)
    // after `insertAfter` (an item or a special position); 0 in `itemId` when
    // the window does not exist or the insertion fails.
    virtual HRESULT AddItem(HTREEITEM_ID parentItemId, const std::string& itemText, std::int32_t nImage,
                            std::int32_t nSelectImage, HTREEITEM_ID insertAfter, HTREEITEM_ID* itemId) = 0;
    // "Установить меню.": the popup menu of a right click; 0 removes it.
    virtual HRESULT SetContextMenu(OLE_HANDLE menu) = 0;
    // "Установить ImageList.": an image list of a kind (0 normal, 2 state).
    virtual HRESULT SetImageList(OLE_HANDLE imageList, std::int32_t nImageListType) = 0;
    virtual HRESULT GetNextItem(HTREEITEM_ID hItem, PelmoraNextItemEnum nCode, HTREEITEM_ID* nextItemId) = 0;
    // "Загрузить из файла." / the text model to a file; result 1 or 0.
    virtual HRESULT LoadFromFile(const std::string& fileName, VARIANT_BOOL* result) = 0;
    virtual HRESULT SaveToFile(const std::string& fileName, VARIANT_BOOL* result) = 0;
    // "Массив текстов.": the text model as an array of strings.
    virtual HRESULT get_Items(Variant* items) = 0;
    virtual HRESULT put_Items(const Variant& items) = 0;
    // "Доступность редактирования текстов."
    virtual HRESULT get_ReadOnly(VARIANT_BOOL* readOnly) = 0;
    virtual HRESULT put_ReadOnly(VARIANT_BOOL readOnly) = 0;

    // The connection point of DPelmoraEvents.
    virtual HRESULT Advise(std::shared_ptr<DPelmoraEvents> sink, AdviseCookie* cookie) = 0;
    virtual HRESULT Unadvise(AdviseCookie cookie) = 0;
};

// "Event interface for pmTreeDlg Control".
class DpmTreeDlgEvents {
public:
    virtual ~DpmTreeDlgEvents() = default;
    // "Запуск команды."
    virtual void ToolBarCommand(std::int32_t /*id*/) {}  // 1
    // "Состояние команды."
    virtual void ButtonUpdate(std::int32_t /*id*/, VARIANT_BOOL* /*enabled*/, std::int32_t* /*checked*/) {}  // 2
};

// "pmTreeDlg Control - Tindral.TindralCtrl.1": a toolbar above a tree view.
class IpmTreeDlg {
public:
    virtual ~IpmTreeDlg() = default;
    // "Интерфейс дерева.": the embedded tree view.
    virtual HRESULT get_TreeView(std::shared_ptr<IPelmora>* tree) = 0;
    // "Загрузка ToolBar-а.": the toolbar `toolbarId` (a number or a name) of a
    // resource module given by handle (an integer) or by file name; result 1
    // or 0.
    virtual HRESULT LoadToolBar(const Variant& resModule, const Variant& toolbarId, VARIANT_BOOL* result) = 0;

    // The connection point of DpmTreeDlgEvents.
    virtual HRESULT Advise(std::shared_ptr<DpmTreeDlgEvents> sink, AdviseCookie* cookie) = 0;
    virtual HRESULT Unadvise(AdviseCookie cookie) = 0;
};

}  // namespace pelmora
