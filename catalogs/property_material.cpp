// The rows of the material properties dialog.
#include "catalogs/property_material.h"

#include <cstdio>

namespace zarvento {

namespace {

constexpr double kTiny = 1e-6;

struct ContentRow {
    const char* caption;
    double MATERIAL::*field;
};

constexpr ContentRow kContents[] = {
    {"содержание углерода C, %", &MATERIAL::C},    {"содержание кремния Si, %", &MATERIAL::Si},
    {"содержание марганца Mn, %", &MATERIAL::Mn},  {"содержание хрома Cr, %", &MATERIAL::Cr},
    {"содержание никеля Ni, %", &MATERIAL::Ni},    {"содержание азота N, %", &MATERIAL::N},
    {"содержание фосфора P, %", &MATERIAL::P},     {"содержание меди Cu, %", &MATERIAL::Cu},
    {"содержание молибдена Mo, %", &MATERIAL::Mo}, {"содержание ниобия Nb, %", &MATERIAL::Nb},
    {"содержание титана Ti, %", &MATERIAL::Ti},    {"содержание тантала Ta, %", &MATERIAL::Ta},
    {"содержание алюминия Al, %", &MATERIAL::Al},  {"содержание вольфрама W, %", &MATERIAL::W},
    {"содержание ванадия V, %", &MATERIAL::V},     {"содержание кобальта Co, %", &MATERIAL::Co},
    {"содержание бора B, %", &MATERIAL::B},        {"содержание селена Se, %", &MATERIAL::Se},
    {"содержание железа Fe, %", &MATERIAL::Fe},    {"содержание свинца Pb, %", &MATERIAL::Pb},
    {"содержание сурьмы Sb, %", &MATERIAL::Sb},    {"содержание висмута Vi, %", &MATERIAL::Vi},
};

const char* StockForm(std::int32_t stock) {
    switch (stock) {
        case 1: return "1 (поковка)";
        case 2: return "2 (холодная вытяжка)";
        case 3: return "3 (отливка)";
        default: return "0 (прокат)";
    }
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

}  // namespace

std::vector<MaterialPropertyRow> MaterialPropertyRows(const MATERIAL& m) {
    std::vector<MaterialPropertyRow> rows;
    const auto text = [&](const char* caption, const std::string& value) {
        if (!value.empty()) rows.push_back({caption, value});
    };
    const auto number = [&](const char* caption, double value) {
        if (value > kTiny) rows.push_back({caption, Number(value)});
    };
    text("Обозначение материала", m.sMaterial);
    text("Группа материала", m.sGroup);
    text("MC-код материала по SANDVIK", m.sMCcode);
    text("Способ получения заготовки", StockForm(m.nSposobStock));
    text("Группа стали по хим. составу", m.sSteelClass);
    number("Твердость HB", m.HB);
    for (const ContentRow& row : kContents) number(row.caption, m.*row.field);
    number("суммарное содержание лег. элементов, %", m.SumLeg);
    return rows;
}

CPropertyMaterial::CPropertyMaterial(const MATERIAL& material) : HostDialog(kScriptName, kTemplate) {
    Clear();
    static_cast<MATERIAL&>(*this) = material;
    SetTitle(kTitle);
    AddControl(kList, DialogControlKind::ListView).SetListStyle(true, true, false);
    AddControl(kNote, DialogControlKind::Edit).SetReadOnly(true);
    AddControl(kClose, DialogControlKind::Button, kCloseCaption);
}

void CPropertyMaterial::OnInitDialog() {
    DialogControl& list = Control(kList);
    list.DeleteAllColumns();
    list.AddColumn(" ", 240);
    list.AddColumn(" ", kListClientWidth - 260);
    for (const MaterialPropertyRow& row : MaterialPropertyRows(*this)) list.AddRow({row.caption, row.value});
    Control(kNote).SetText(kMaterialSourceNote);
}

}  // namespace zarvento
