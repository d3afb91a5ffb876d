// CPropertyMaterial: the read-only dialog that lists the part's material
// record: its designation, group, MC code, stock form, structural class,
// hardness and composition, a row for each property that holds something.
#pragma once

#include <string>
#include <vector>

#include "nc/material.h"
#include "platform/dialogs/host_dialog.h"

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

// The dialog itself, read-only, on the host's dialog model ("material" in
// scripts): the list 100 of the rows in two columns, the note in the
// read-only edit 101 under it and the button 2 that closes it. It holds a
// copy of the material it shows.
class CPropertyMaterial : public HostDialog, public MATERIAL {
public:
    static constexpr const char* kScriptName = "material";
    static constexpr int kTemplate = 850;
    static constexpr const char* kTitle = "Свойства материала";
    static constexpr int kList = 100;
    static constexpr int kNote = 101;
    static constexpr int kClose = 2;  // the dialog's cancel id: closing changes nothing
    static constexpr const char* kCloseCaption = "Закрыть окно";
    // The list's client width in pixels (296 dialog units of its font).
    static constexpr int kListClientWidth = 440;

    explicit CPropertyMaterial(const MATERIAL& material);

    // The captions' column 240 wide, the values' column the rest of the
    // list less 20, both titled with a blank, grid lines and full rows;
    // then the rows and the note.
    void OnInitDialog() override;
};

}  // namespace zarvento
