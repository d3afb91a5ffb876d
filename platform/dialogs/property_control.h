// One control of a tab of the host's property manager, of any kind the panels
// use. Every property is a host call of its own (each may be made to fail);
// a change the panel makes sends no notification, except a row the panel
// selects in a list, which the host reports as the user's selection would be.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/variant.h"
#include "platform/dialogs/grid_control.h"
#include "platform/dialogs/list_control.h"

namespace zarvento {

class PropertyTab;
class PropertyManager;

// Kinds by the number the host's add-control call takes. The multi-line text
// list has no number: it is made by a call of its own.
enum class PropertyControlKind : int {
    Empty = 1,        // a divider, or an empty control with no properties
    IntegerEdit = 2,  // a 32-bit integer
    RealEdit = 3,     // a 64-bit real
    TextEdit = 4,
    DropDownList = 7,
    CheckBox = 8,  // a check box drawn with images
    ButtonGroup = 9,
    Grid = 10,
    Slide = 11,  // a picture (a drawing) the panel slides in
    Button = 13,
    ListWithButtons = 18,  // a list with a bar of buttons
    ImageList = 24,        // a list whose items carry a bitmap each
    TextList = 1000,
};

// The kind of a host number; false for a number the host does not know.
bool PropertyControlKindFromNumber(int number, PropertyControlKind& out);
const char* PropertyControlKindName(PropertyControlKind kind);

// An image: a bitmap of the library's own resources or one of the host's.
struct HostImage {
    enum class Source : std::uint8_t { None, Library, Host };
    Source source = Source::None;
    int id = 0;

    static HostImage Library(int id) { return {Source::Library, id}; }
    static HostImage Host(int id) { return {Source::Host, id}; }
    bool IsSet() const { return source != Source::None; }
    // "library 1030", "host 57445", "" for none.
    std::string Text() const;
    friend bool operator==(const HostImage&, const HostImage&) = default;
};

struct PropertyButton {
    int id = 0;
    HostImage image;
    std::string text;        // shown as the button's tooltip
    std::string secondText;  // given by the bar's second image call (hosts 17 and later)
    bool enabled = true;
    bool pressed = false;
};

struct PropertyListItem {
    std::string text;
    HostImage image;
};

class PropertyControl {
public:
    PropertyControl(PropertyTab& tab, PropertyControlKind kind);
    PropertyControl(const PropertyControl&) = delete;
    PropertyControl& operator=(const PropertyControl&) = delete;

    PropertyControlKind Kind() const { return kind_; }
    PropertyTab& Tab() const { return tab_; }
    PropertyManager& Manager() const;

    // --- properties common to every kind ---
    void SetCaption(std::string text);
    const std::string& Caption() const { return caption_; }
    void SetHint(std::string text);
    const std::string& Hint() const { return hint_; }
    void SetTip(std::string text);
    const std::string& Tip() const { return tip_; }
    void SetHelpTopic(std::int32_t topic);
    std::int32_t HelpTopic() const { return helpTopic_; }
    void SetVisible(bool visible);
    bool Visible() const { return visible_; }
    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }
    void SetReadOnly(bool readOnly);
    bool ReadOnly() const { return readOnly_; }
    // Width in characters, height in lines; 0 leaves the host's own.
    void SetWidth(int characters);
    int Width() const { return width_; }
    void SetHeight(int lines);
    int Height() const { return height_; }
    // The id a button (kind 13) reports with its command.
    void SetId(int id);
    int Id() const { return id_; }
    // The kind's set-up call with its number; the numbers are kept in order.
    void Setup(int value);
    const std::vector<int>& SetupCalls() const { return setupCalls_; }

    // --- value ---
    // Edits: the number or the text; check box: a bool; drop-down list: the
    // chosen item's text; slide: an I4; text list: its lines as an array.
    Variant Value() const;
    // The panel's own put. A list takes the item whose text equals the value
    // (none when no item does); a text list takes every line of an array at
    // once, in place of those it had; an edit keeps whatever it is given.
    void SetValue(const Variant& value);
    // Bounds of a numeric edit or a slide; what a user types outside them is
    // refused by the host.
    void SetRange(double minimum, double maximum);
    bool HasRange() const { return hasRange_; }
    double Minimum() const { return minimum_; }
    double Maximum() const { return maximum_; }

    // --- items of the list kinds ---
    void AddItem(std::string text, HostImage image = {});
    void ClearItems();
    const std::vector<PropertyListItem>& Items() const { return items_; }
    // The current (selected) item, -1 for none.
    int CurrentItem() const { return current_; }
    // The panel's own choice. In a list or a text list the host reports it as
    // a selection (the previous row deselected first) while a panel listens.
    void SetCurrentItem(int index);
    // The position of the item with exactly that text, -1 for none.
    int IndexOfValue(std::string_view text) const;

    // --- the multi-line text list ---
    ListControl& Lines() { return lines_; }
    const ListControl& Lines() const { return lines_; }

    // --- grid ---
    GridControl& Grid() { return grid_; }
    const GridControl& Grid() const { return grid_; }
    void SetGridSize(int rows, int columns);
    int ColumnCount() const { return columns_; }
    void SetFixed(int rows, int columns);
    int FixedRows() const { return fixedRows_; }
    int FixedColumns() const { return fixedColumns_; }
    // The leading columns a user cannot edit.
    void SetReadOnlyColumns(int leading);
    int ReadOnlyColumns() const { return readOnlyColumns_; }
    void SetColumnWidth(int column, int width);
    const std::vector<int>& ColumnWidths() const { return columnWidths_; }
    // The current cell; the panel's own choice is reported as a selection
    // while a panel listens, as in a list.
    void SetCurrentCell(int row, int column);
    int CurrentRow() const { return grid_.CurrentRow(); }
    int CurrentColumn() const { return currentColumn_; }

    // --- buttons of a bar (grid, list kind 18) or a group (kind 9) ---
    void AddButton(int id, HostImage image, std::string text);
    // The bar's second image call (hosts 17 and later): the button's text by id.
    void SetButtonSecondText(int id, std::string text);
    void EnableButton(int id, bool enabled);
    void PressButton(int id, bool pressed);
    // The button of that id, or null.
    const PropertyButton* Button(int id) const;
    const std::vector<PropertyButton>& Buttons() const { return buttons_; }

    // --- check box images (unchecked, checked, disabled) ---
    void SetCheckImages(HostImage off, HostImage on, HostImage disabled);
    const std::vector<HostImage>& CheckImages() const { return checkImages_; }

    // --- slide ---
    void Update();
    int UpdateCount() const { return updates_; }

    // The control's whole state on one line (grid cells and text lines below it).
    std::string Dump() const;

    // --- for the host's own side (the manager): no host call, no notification ---
    void StoreValue(Variant value) { value_ = std::move(value); }
    void StoreCurrentItem(int index);
    void StoreCurrentCell(int row, int column);
    PropertyButton* MutableButton(int id);
    bool IsListKind() const;

private:
    void Call(std::string_view what) const;

    PropertyTab& tab_;
    PropertyControlKind kind_;
    std::string caption_, hint_, tip_;
    std::int32_t helpTopic_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    bool readOnly_ = false;
    int width_ = 0;
    int height_ = 0;
    int id_ = 0;
    std::vector<int> setupCalls_;
    Variant value_;
    bool hasRange_ = false;
    double minimum_ = 0.0, maximum_ = 0.0;
    std::vector<PropertyListItem> items_;
    int current_ = -1;
    ListControl lines_;
    GridControl grid_;
    int columns_ = 0;
    int fixedRows_ = 0, fixedColumns_ = 0;
    int readOnlyColumns_ = 0;
    std::vector<int> columnWidths_;
    int currentColumn_ = -1;
    std::vector<PropertyButton> buttons_;
    std::vector<HostImage> checkImages_;
    int updates_ = 0;
};

}  // namespace zarvento
