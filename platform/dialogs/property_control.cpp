// The controls of the property manager: their properties and their dump.
#include "platform/dialogs/property_control.h"

#include <algorithm>

#include "platform/core/host_faults.h"
#include "platform/dialogs/property_manager.h"
#include "platform/dialogs/property_tab.h"

namespace zarvento {

namespace {

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

Variant InitialValue(PropertyControlKind kind) {
    switch (kind) {
        case PropertyControlKind::IntegerEdit:
        case PropertyControlKind::Slide: return Variant::I4(0);
        case PropertyControlKind::RealEdit: return Variant::R8(0.0);
        case PropertyControlKind::TextEdit: return Variant::BStr({});
        case PropertyControlKind::CheckBox: return Variant::Bool(false);
        default: return Variant();
    }
}

}  // namespace

bool PropertyControlKindFromNumber(int number, PropertyControlKind& out) {
    switch (number) {
        case 1:
        case 2:
        case 3:
        case 4:
        case 7:
        case 8:
        case 9:
        case 10:
        case 11:
        case 13:
        case 18:
        case 24: out = static_cast<PropertyControlKind>(number); return true;
        default: return false;
    }
}

const char* PropertyControlKindName(PropertyControlKind kind) {
    switch (kind) {
        case PropertyControlKind::Empty: return "empty";
        case PropertyControlKind::IntegerEdit: return "integer";
        case PropertyControlKind::RealEdit: return "real";
        case PropertyControlKind::TextEdit: return "text";
        case PropertyControlKind::DropDownList: return "drop-down";
        case PropertyControlKind::CheckBox: return "check box";
        case PropertyControlKind::ButtonGroup: return "button group";
        case PropertyControlKind::Grid: return "grid";
        case PropertyControlKind::Slide: return "slide";
        case PropertyControlKind::Button: return "button";
        case PropertyControlKind::ListWithButtons: return "list";
        case PropertyControlKind::ImageList: return "image list";
        case PropertyControlKind::TextList: return "text list";
    }
    return "?";
}

std::string HostImage::Text() const {
    switch (source) {
        case Source::Library: return "library " + std::to_string(id);
        case Source::Host: return "host " + std::to_string(id);
        case Source::None: break;
    }
    return {};
}

PropertyControl::PropertyControl(PropertyTab& tab, PropertyControlKind kind)
    : tab_(tab), kind_(kind), value_(InitialValue(kind)) {}

PropertyManager& PropertyControl::Manager() const { return tab_.Manager(); }

void PropertyControl::Call(std::string_view what) const { HostFaults::Check("PropertyControl." + std::string(what)); }

bool PropertyControl::IsListKind() const {
    return kind_ == PropertyControlKind::DropDownList || kind_ == PropertyControlKind::ListWithButtons ||
           kind_ == PropertyControlKind::ImageList;
}

void PropertyControl::SetCaption(std::string text) {
    Call("Caption");
    caption_ = std::move(text);
}

void PropertyControl::SetHint(std::string text) {
    Call("Hint");
    hint_ = std::move(text);
}

void PropertyControl::SetTip(std::string text) {
    Call("Tip");
    tip_ = std::move(text);
}

void PropertyControl::SetHelpTopic(std::int32_t topic) {
    Call("HelpTopic");
    helpTopic_ = topic;
}

void PropertyControl::SetVisible(bool visible) {
    Call("Visible");
    visible_ = visible;
}

void PropertyControl::SetEnabled(bool enabled) {
    Call("Enabled");
    enabled_ = enabled;
}

void PropertyControl::SetReadOnly(bool readOnly) {
    Call("ReadOnly");
    readOnly_ = readOnly;
}

void PropertyControl::SetWidth(int characters) {
    Call("Width");
    width_ = characters;
}

void PropertyControl::SetHeight(int lines) {
    Call("Height");
    height_ = lines;
}

void PropertyControl::SetId(int id) {
    Call("Id");
    id_ = id;
}

void PropertyControl::Setup(int value) {
    Call("Setup");
    setupCalls_.push_back(value);
}

Variant PropertyControl::Value() const {
    Call("Value");
    if (IsListKind()) return Variant::BStr(current_ >= 0 ? items_[static_cast<std::size_t>(current_)].text : "");
    if (kind_ == PropertyControlKind::TextList) {
        std::vector<Variant> lines;
        lines.reserve(lines_.Lines().size());
        for (const std::string& line : lines_.Lines()) lines.push_back(Variant::BStr(line));
        return Variant::Array(std::move(lines));
    }
    if (kind_ == PropertyControlKind::Grid) {
        const int row = grid_.CurrentRow();
        return Variant::BStr(row >= 0 && currentColumn_ >= 0 ? grid_.CellText(row, currentColumn_) : "");
    }
    return value_;
}

void PropertyControl::SetValue(const Variant& value) {
    Call("PutValue");
    switch (kind_) {
        case PropertyControlKind::IntegerEdit:
        case PropertyControlKind::Slide: value_ = Variant::I4(value.ToI4()); break;
        case PropertyControlKind::RealEdit: value_ = Variant::R8(value.ToR8()); break;
        case PropertyControlKind::TextEdit: value_ = Variant::BStr(value.ToBStr()); break;
        case PropertyControlKind::CheckBox: value_ = Variant::Bool(value.ToBool()); break;
        case PropertyControlKind::DropDownList:
        case PropertyControlKind::ListWithButtons:
        case PropertyControlKind::ImageList: current_ = IndexOfValue(value.ToBStr()); break;
        case PropertyControlKind::TextList: {
            // All the lines in one call, in place of those there were.
            std::vector<std::string> lines;
            if (value.Type() == VarType::Array) {
                lines.reserve(value.AsArray().size());
                for (const Variant& line : value.AsArray()) lines.push_back(line.ToBStr());
            } else if (!value.IsEmpty()) {
                lines.push_back(value.ToBStr());
            }
            lines_.SetLines(std::move(lines));
            break;
        }
        case PropertyControlKind::Grid: {
            const int row = grid_.CurrentRow();
            if (row >= 0 && currentColumn_ >= 0) grid_.SetCellText(row, currentColumn_, value.ToBStr());
            break;
        }
        default: value_ = value; break;
    }
}

void PropertyControl::SetRange(double minimum, double maximum) {
    Call("Range");
    hasRange_ = true;
    minimum_ = minimum;
    maximum_ = maximum;
}

void PropertyControl::AddItem(std::string text, HostImage image) {
    Call("AddItem");
    items_.push_back({std::move(text), image});
}

void PropertyControl::ClearItems() {
    Call("ClearItems");
    items_.clear();
    current_ = -1;
}

void PropertyControl::SetCurrentItem(int index) {
    Call("CurrentItem");
    if (index < -1 ||
        index >= static_cast<int>(kind_ == PropertyControlKind::TextList ? lines_.Lines().size() : items_.size()))
        throw HostError(E_INVALIDARG_, "no item " + std::to_string(index));
    if (kind_ == PropertyControlKind::DropDownList) {
        current_ = index;
        return;
    }
    Manager().SelectRow(*this, index);
}

void PropertyControl::StoreCurrentItem(int index) { current_ = index; }

int PropertyControl::IndexOfValue(std::string_view text) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].text == text) return static_cast<int>(i);
    return -1;
}

void PropertyControl::SetGridSize(int rows, int columns) {
    Call("GridSize");
    if (rows < 0 || columns < 0) throw HostError(E_INVALIDARG_, "negative grid size");
    grid_.SetRowCount(rows);
    columns_ = columns;
    columnWidths_.resize(static_cast<std::size_t>(columns), 0);
}

void PropertyControl::SetFixed(int rows, int columns) {
    Call("Fixed");
    fixedRows_ = rows;
    fixedColumns_ = columns;
}

void PropertyControl::SetReadOnlyColumns(int leading) {
    Call("ReadOnlyColumns");
    readOnlyColumns_ = leading;
}

void PropertyControl::SetColumnWidth(int column, int width) {
    Call("ColumnWidth");
    if (column < 0 || column >= columns_) throw HostError(DISP_E_BADINDEX_, "no column " + std::to_string(column));
    columnWidths_[static_cast<std::size_t>(column)] = width;
}

void PropertyControl::SetCurrentCell(int row, int column) {
    Call("CurrentCell");
    if (row < -1 || row >= grid_.RowCount() || column < -1 || column >= columns_)
        throw HostError(DISP_E_BADINDEX_, "no cell " + std::to_string(row) + ", " + std::to_string(column));
    Manager().SelectCell(*this, row, column);
}

void PropertyControl::StoreCurrentCell(int row, int column) {
    grid_.SetCurrentRow(row);
    currentColumn_ = column;
}

void PropertyControl::AddButton(int id, HostImage image, std::string text) {
    Call("AddButton");
    buttons_.push_back({id, image, std::move(text), {}, true, false});
}

PropertyButton* PropertyControl::MutableButton(int id) {
    for (PropertyButton& b : buttons_)
        if (b.id == id) return &b;
    return nullptr;
}

const PropertyButton* PropertyControl::Button(int id) const {
    for (const PropertyButton& b : buttons_)
        if (b.id == id) return &b;
    return nullptr;
}

void PropertyControl::SetButtonSecondText(int id, std::string text) {
    Call("ButtonText");
    PropertyButton* b = MutableButton(id);
    if (!b) throw HostError(E_INVALIDARG_, "no button " + std::to_string(id));
    b->secondText = std::move(text);
}

void PropertyControl::EnableButton(int id, bool enabled) {
    Call("EnableButton");
    PropertyButton* b = MutableButton(id);
    if (!b) throw HostError(E_INVALIDARG_, "no button " + std::to_string(id));
    b->enabled = enabled;
}

void PropertyControl::PressButton(int id, bool pressed) {
    Call("PressButton");
    PropertyButton* b = MutableButton(id);
    if (!b) throw HostError(E_INVALIDARG_, "no button " + std::to_string(id));
    b->pressed = pressed;
}

void PropertyControl::SetCheckImages(HostImage off, HostImage on, HostImage disabled) {
    Call("CheckImages");
    checkImages_ = {off, on, disabled};
}

void PropertyControl::Update() {
    Call("Update");
    ++updates_;
}

std::string PropertyControl::Dump() const {
    std::string out = PropertyControlKindName(kind_);
    if (id_ != 0) out += " id " + std::to_string(id_);
    if (!caption_.empty()) out += " caption " + Quoted(caption_);
    if (!hint_.empty() && hint_ != caption_) out += " hint " + Quoted(hint_);
    if (!tip_.empty() && tip_ != hint_) out += " tip " + Quoted(tip_);
    if (helpTopic_ != 0) out += " help " + std::to_string(helpTopic_);
    if (!visible_) out += " hidden";
    if (!enabled_) out += " disabled";
    if (readOnly_) out += " read-only";
    if (width_ != 0) out += " width " + std::to_string(width_);
    if (height_ != 0) out += " height " + std::to_string(height_);
    for (int s : setupCalls_) out += " setup " + std::to_string(s);
    if (hasRange_) out += " range " + FormatDouble(minimum_) + ".." + FormatDouble(maximum_);
    if (!checkImages_.empty()) {
        out += " images";
        for (const HostImage& image : checkImages_) out += " " + (image.IsSet() ? image.Text() : std::string("-"));
    }
    if (!items_.empty()) {
        out += " items [";
        for (std::size_t i = 0; i < items_.size(); ++i) {
            if (i) out += ", ";
            out += Quoted(items_[i].text);
            if (items_[i].image.IsSet()) out += " (" + items_[i].image.Text() + ")";
        }
        out += "] current " + std::to_string(current_);
    }
    for (const PropertyButton& b : buttons_) {
        out += " button " + std::to_string(b.id);
        if (!b.text.empty()) out += " " + Quoted(b.text);
        if (b.image.IsSet()) out += " (" + b.image.Text() + ")";
        if (!b.secondText.empty()) out += " second " + Quoted(b.secondText);
        if (!b.enabled) out += " disabled";
        if (b.pressed) out += " pressed";
    }
    switch (kind_) {
        case PropertyControlKind::IntegerEdit:
        case PropertyControlKind::RealEdit:
        case PropertyControlKind::TextEdit:
        case PropertyControlKind::CheckBox:
        case PropertyControlKind::Slide: out += " value " + value_.DumpText(); break;
        default: break;
    }
    if (kind_ == PropertyControlKind::Slide && updates_ > 0) out += " updated " + std::to_string(updates_);
    if (kind_ == PropertyControlKind::TextList) {
        out += " lines " + std::to_string(lines_.Lines().size());
        if (current_ >= 0) out += " current " + std::to_string(current_);
        for (const std::string& line : lines_.Lines()) out += "\n      | " + line;
    }
    if (kind_ == PropertyControlKind::Grid) {
        out += " grid " + std::to_string(grid_.RowCount()) + "x" + std::to_string(columns_);
        if (fixedRows_ || fixedColumns_)
            out += " fixed " + std::to_string(fixedRows_) + "x" + std::to_string(fixedColumns_);
        if (readOnlyColumns_) out += " read-only columns " + std::to_string(readOnlyColumns_);
        if (std::any_of(columnWidths_.begin(), columnWidths_.end(), [](int w) { return w != 0; })) {
            out += " widths";
            for (int w : columnWidths_) out += " " + std::to_string(w);
        }
        if (grid_.CurrentRow() >= 0)
            out += " current " + std::to_string(grid_.CurrentRow()) + "," + std::to_string(currentColumn_);
        for (int r = 0; r < grid_.RowCount(); ++r) {
            out += "\n      |";
            for (int c = 0; c < columns_; ++c) out += " " + Quoted(grid_.CellText(r, c));
        }
    }
    return out;
}

}  // namespace zarvento
