// CPropertyMaterial: the read-only dialog that lists the part's material
// record: its designation, group, MC code, stock form, structural class,
// hardness and composition, a row for each property that holds something.
#pragma once

#include <string>
#include <vector>

#include "nc/material.h"

namespace zarvento {

struct MaterialPropertyRow {
    std::string caption;
    std::string value;
};

// The dialog's rows, in order: a text property when it is not empty, a
// number (printed "%g") when it is above 1e-6; the stock form always.
std::vector<MaterialPropertyRow> MaterialPropertyRows(const MATERIAL& material);

// The note under the list.
inline constexpr const char* kMaterialSourceNote =
    "Хим. состав получен из справочника \"Материалы и Сортаменты для VOVUVE\"";

// The dialog itself, read-only: a list of the rows in two columns, the note
// under it and a button that closes it. It holds a copy of the material it
// shows.
class CPropertyMaterial : public MATERIAL {
public:
    static constexpr int kTemplate = 850;
    static constexpr const char* kTitle = "Свойства материала";
    static constexpr int kList = 100;
    static constexpr int kNote = 101;
    static constexpr int kClose = 2;  // the dialog's cancel id: closing changes nothing
    static constexpr const char* kCloseCaption = "Закрыть окно";

    struct Column {
        std::string title;
        int width = 0;
    };

    explicit CPropertyMaterial(const MATERIAL& material);

    // Fills the list for a list whose client area is `listClientWidth`
    // pixels wide: the captions' column 240 wide, the values' column the
    // rest less 20, both titled with a blank; then the note.
    void OnInitDialog(int listClientWidth);

    const std::vector<Column>& Columns() const { return columns_; }
    const std::vector<MaterialPropertyRow>& Rows() const { return rows_; }
    const std::string& Note() const { return note_; }

private:
    std::vector<Column> columns_;
    std::vector<MaterialPropertyRow> rows_;
    std::string note_;
};

}  // namespace zarvento
