// The part variables read from the host's part model: properties, material,
// the steel table, dimensions with tolerances and roughness signs, and the
// table's grid.
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "geometry/primitives.h"
#include "nc/detail_parameters.h"
#include "nc/materials_reference.h"
#include "nc/steel_table.h"
#include "platform/core/host_error.h"
#include "platform/core/host_variable.h"
#include "platform/core/messages.h"
#include "platform/dialogs/grid_control.h"
#include "platform/documents/host_application.h"
#include "platform/documents/settings_record.h"
#include "platform/part_model.h"

namespace zarvento {

namespace {

constexpr const char* kCaption = "Orbisel";
constexpr int kInformation = 0x40;

MaterialsReferenceFactory referenceFactory = nullptr;

// The number a text reads as: a leading number, else 0; the first decimal
// comma counts as a point.
double NumberOf(std::string text) {
    if (const std::size_t comma = text.find(','); comma != std::string::npos) text[comma] = '.';
    std::size_t at = text.find_first_not_of(" \t");
    if (at == std::string::npos) return 0;
    bool negative = false;
    if (text[at] == '+' || text[at] == '-') negative = text[at++] == '-';
    double value = 0;
    if (std::from_chars(text.data() + at, text.data() + text.size(), value).ec != std::errc()) return 0;
    return negative ? -value : value;
}

// The number that starts at the first digit of the text ("Ra 3,2" gives 3.2).
double NumberFromFirstDigit(const std::string& text) {
    const std::size_t digit = text.find_first_of("0123456789");
    return digit == std::string::npos ? 0.0 : NumberOf(text.substr(digit));
}

std::string FileStem(const std::string& path) {
    std::string name = std::filesystem::path(path).filename().string();
    return name.substr(0, name.find('.'));
}

// The file's last-write time as the two halves the plan record keeps; false
// when the file cannot be examined.
bool LastWriteTime(const std::string& path, std::uint32_t& low, std::uint32_t& high) {
    std::error_code ec;
    const auto time = std::filesystem::last_write_time(path, ec);
    if (ec) return false;
    const auto ticks = static_cast<std::uint64_t>(time.time_since_epoch().count());
    low = static_cast<std::uint32_t>(ticks & 0xFFFFFFFFu);
    high = static_cast<std::uint32_t>(ticks >> 32);
    return true;
}

std::string Format(const char* format, double a, double b = 0, double c = 0) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, format, a, b, c);
    return buffer;
}

// The field is filled from the table only while the reference left it empty.
void Complete(double& field, double value) {
    if (!(field > EPS)) field = value;
}

}  // namespace

MaterialsReferenceFactory RegisterMaterialsReference(MaterialsReferenceFactory factory) {
    const MaterialsReferenceFactory previous = referenceFactory;
    referenceFactory = factory;
    return previous;
}

std::unique_ptr<MaterialsReferenceClient> NewMaterialsReferenceClient() {
    return referenceFactory ? referenceFactory() : nullptr;
}

double DETAIL_PARAMETERS::McCodeOf(const std::string& text) {
    if (text.size() <= 3) return 0;
    double code = 0;
    switch (text[0]) {
        case 'P': code = 100; break;
        case 'M': code = 200; break;
        case 'S': code = 300; break;
        case 'K': code = 400; break;
        case 'N': code = 500; break;
        case 'H': code = 600; break;
        default: break;
    }
    auto integerAt = [&](std::size_t at) {
        int v = 0;
        std::from_chars(text.data() + at, text.data() + text.size(), v);
        return v;
    };
    return code + 10.0 * integerAt(1) + integerAt(3);
}

bool DETAIL_PARAMETERS::ReadMaterial(const HostPart& part) {
    clearedBeforeRead1 = clearedBeforeRead2 = 0;
    kvMet = xMat = kShl = tensileStrength = 0;
    materialGroup.clear();
    materialUnread.clear();
    const PartProperties& properties = part.Properties();
    if (!properties.hasLocation) return false;
    HostMessageBox("Считывание свойств материала: " + properties.material, kCaption, kInformation);
    material->sLocation = properties.location;
    std::unique_ptr<MaterialsReferenceClient> client = NewMaterialsReferenceClient();
    if (!client || !client->Connect()) {
        HostMessageBox(kNoReferenceConnection, kCaption, kInformation);
        materialUnread = kNoReferenceConnection;
        return false;
    }
    materialName = properties.material;
    materialLocation = properties.location;
    try {
        client->ReadMaterialProperties(properties.location, *this);
    } catch (const std::exception& e) {
        // A record that fails its check, a reference that stopped answering:
        // what it gave before is no answer either.
        materialUnread = kMaterialNotRead + std::string(e.what());
        HostMessageBox(materialUnread, kCaption, kInformation);
        materialName.clear();
        client->Disconnect();
        return false;
    }
    client->Disconnect();
    return true;
}

void DETAIL_PARAMETERS::ReadTolerance(PartVariable& entry, const HostDimension& dimension) {
    if (!dimension.ShowsTolerance() && !dimension.ShowsDeviations()) return;
    AttachTolerance(entry, NumberOf(dimension.LowerDeviation()), NumberOf(dimension.UpperDeviation()));
}

bool DETAIL_PARAMETERS::ReadLinkedMaterial(const PartProperties& properties, bool force) {
    std::uint32_t low = 0, high = 0;
    if (!LastWriteTime(properties.linkedFile, low, high) ||
        !(force || low != linkedFileTimeLow || high != linkedFileTimeHigh))
        return false;
    HostApplication* app = HostApplicationObject();
    try {
        HostDocumentPtr linked = app ? app->Documents().FindByPath(properties.linkedFile) : nullptr;
        bool opened = false;
        if (!linked && app) {
            linked = app->Documents().Open(properties.linkedFile, false);
            opened = linked != nullptr;
        }
        if (linked) {
            const std::shared_ptr<HostPart> source = TopPart(linked);
            if (force || source->Properties().material != materialName) ReadMaterial(*source);
            if (opened) app->Documents().Close(linked);
        }
    } catch (const HostError&) {
        // A linked file the host cannot open gives no material.
    }
    linkedFileTimeLow = low;
    linkedFileTimeHigh = high;
    return true;
}

void DETAIL_PARAMETERS::CompleteFromSteelTable(const PartProperties& properties) {
    // The steel table completes what the materials reference left empty.
    material->HB = hardnessHB;
    material->HRC = hardnessHRC;
    if (const SteelGrade* steel = FindSteelGrade(MATERIAL::ExtractMark(properties.material))) {
        gostGroup = steel->group;
        Complete(hardnessHB, steel->HB);
        material->HB = hardnessHB;
        Complete(tensileStrength, steel->tensileMPa);
        MATERIAL& m = *material;
        Complete(m.C, steel->C);
        Complete(m.Si, steel->Si);
        Complete(m.Mn, steel->Mn);
        Complete(m.Cr, steel->Cr);
        Complete(m.Ni, steel->Ni);
        Complete(m.Mo, steel->Mo);
        Complete(m.Al, steel->Al);
        Complete(m.Ti, steel->Ti);
        Complete(m.V, steel->V);
    }
}

void DETAIL_PARAMETERS::AddModelAnnotations(const HostDocument& document) {
    // The dimensions by kind, numbered by their place in the model.
    static const struct {
        DimensionKind kind;
        const char* prefix;
        const char* description;
    } kDimensions[] = {{DimensionKind::Linear, "L", "линейный размер"},
                       {DimensionKind::Diametral, "D", "диаметральный размер"},
                       {DimensionKind::Radial, "R", "радиальный размер"},
                       {DimensionKind::Angular, "A", "угловой размер"}};
    for (const auto& d : kDimensions) {
        int number = 0;
        for (const auto& dimension : ModelDimensions(document, d.kind)) {
            const std::string name = d.prefix + std::to_string(++number);
            if (PartVariable* entry = AddNumeric(name, dimension->Nominal(), d.description))
                ReadTolerance(*entry, *dimension);
        }
    }

    // The roughness signs, each kind counted on its own.
    int ra = 0, rz = 0;
    for (const auto& sign : ModelRoughnessSigns(document)) {
        const std::string& text = sign->Text();
        const std::string name =
            text.find("Rz") != std::string::npos ? "Rz" + std::to_string(++rz) : "Ra" + std::to_string(++ra);
        AddNumeric(name, NumberFromFirstDigit(text), "шероховатость");
    }
}

bool DETAIL_PARAMETERS::ReadFromModel(bool force) {
    const HostDocumentPtr document = ActiveHostDocument();
    const std::shared_ptr<HostPart> part = TopPart(document);
    const PartProperties& properties = part->Properties();
    bool changed = false;

    if (force) hardnessHB = hardnessHRC = 0;
    ClearVariables();
    // The model's own variables come first, as they are.
    for (const auto& variable : document->Variables()) {
        AddModelVariable(variable->Name(), variable->Value(), variable->Comment());
        if (variable->Name() == "HB") hardnessHB = variable->Value();
    }
    // The part's properties.
    AddString("Name", part->Name(), "Наименование детали");
    AddString("Mark", properties.designation, "Обозначение детали");
    AddString("File", FileStem(document->FilePath()), "Имя файла детали");
    if (SettingsRecord::kHostMajorVersion > 16) {
        AddString("Author", properties.author, "Разработчик");
        AddString("Organization", properties.organization, "Организация");
    }
    AddString("Material", properties.material, "Материал");
    AddNumeric("Mass", part->Mass(), "Масса детали, кг");
    AddNumeric("Density", properties.density, "Плотность, г/см3");
    AddNumeric("RGH", NumberFromFirstDigit(properties.unspecifiedRoughness), "Неуказанная шероховатость");

    // The part's own material.
    bool read = false;
    if (force || properties.material != materialName) read = ReadMaterial(*part);
    changed = read;
    // The material of the file the part is linked to.
    if (!read && properties.material != materialName && !properties.linkedFile.empty() &&
        ReadLinkedMaterial(properties, force))
        changed = true;
    materialGroup = material->sGroup;

    mcCode = McCodeOf(mcCodeText);
    material->MCcode = mcCode;

    // Values the reference could not give are unknown: neither the steel
    // table's nor the zeros stand in for them.
    if (!materialUnread.empty()) {
        AddModelAnnotations(*document);
        return changed;
    }
    CompleteFromSteelTable(properties);

    // The material's values.
    AddString("sGroup", materialGroup, "Группа материала");
    AddString("sMCcode", mcCodeText, "MC-код материала (строка)");
    AddNumeric("MCcode", mcCode, "MC-код материала (число)");
    AddNumeric("GrGOST4543", gostGroup, "Группа стали по ГОСТ 4543");
    AddNumeric("HB", hardnessHB, "Твердость HB");
    AddNumeric("HRC", hardnessHRC, "Твердость HRC");
    AddNumeric("KVMet", kvMet, "Коэффициент KVMet");
    AddNumeric("XMat", xMat, "Коэффициент XMat");
    AddNumeric("KShl", kShl, "Коэффициент KShl");
    AddNumeric("SigmV", tensileStrength, "Предел прочности, МПа");

    AddModelAnnotations(*document);
    return changed;
}

void DETAIL_PARAMETERS::FillGrid(GridControl& grid) const {
    grid.SetRowCount(static_cast<int>(variables.size()) + 1);
    int row = 1;
    for (const auto& entry : variables) {
        grid.SetCellText(row, 0, entry->name);
        if (entry->kind == 's') {
            grid.SetCellText(row, 1, entry->text);
        } else if (const PartTolerance* t = entry->tolerance.get()) {
            grid.SetCellText(row, 1, Format("%g (%g; %g)", entry->value, t->l.value, t->h.value));
        } else {
            grid.SetCellText(row, 1, Format("%g", entry->value));
        }
        grid.SetCellText(row, 2, entry->description);
        ++row;
    }
    grid.Redraw();
}

bool ReadPartVariables(DETAIL_PARAMETERS& part, bool force) { return part.ReadFromModel(force); }

}  // namespace zarvento
