// DETAIL_PARAMETERS: the part variables, end of every provider chain and base
// of the plan: a table of "MODEL." entries and the "MTRL." material record.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "nc/material.h"
#include "nc/parameters.h"
#include "nc/part_variable.h"

namespace zarvento {

class GridControl;
class HostDimension;
class HostDocument;
class HostPart;
struct PartProperties;

// ReadFromModel rebuilds the table from the active part document of the host:
// the model's variables, the part's properties, its material (through the
// materials reference, completed from the steel table), the dimensions with
// their tolerances and the roughness signs.
class DETAIL_PARAMETERS : public PARAMETERS {
public:
    static constexpr const char* kNoReferenceConnection = "Не удалось установить соединение со справочником материалов";
    // Followed by the reference's reason.
    static constexpr const char* kMaterialNotRead = "Свойства материала не получены из справочника материалов: ";

    DETAIL_PARAMETERS();
    DETAIL_PARAMETERS(const DETAIL_PARAMETERS&) = delete;
    DETAIL_PARAMETERS& operator=(const DETAIL_PARAMETERS&) = delete;

    // Names containing "MODEL." look up the table by the text after their
    // first six characters, a dimension's tolerance as "<name>.t", ".h" or
    // ".l"; names containing "MTRL." the material record. The parent is
    // never asked: this is the end of the chain.
    const double* GetParameter(std::string_view name) override;
    const std::string* GetStringParameter(std::string_view name) override;

    // Whether an entry of exactly that name exists, of either kind.
    bool FindVariable(std::string_view name) const;
    // Added only when value > EPS and the name is free; the new entry or null.
    PartVariable* AddNumeric(std::string_view name, double value, std::string_view description);
    // Added only when text is not empty and the name is free.
    PartVariable* AddString(std::string_view name, std::string_view text, std::string_view description);
    // A variable of the host model: added as it is, without the two tests.
    PartVariable* AddModelVariable(std::string_view name, double value, std::string_view description);
    // Gives a dimension's entry its tolerance: "l" lower, "h" upper, "t" = h - l.
    static void AttachTolerance(PartVariable& entry, double lower, double upper);
    void ClearVariables();
    const std::vector<std::unique_ptr<PartVariable>>& Variables() const { return variables; }

    // Rebuilds the table from the active part. The material is read again
    // only when forced, or when the part's material name differs from the one
    // last read (then also from the linked source file, when its last-write
    // time changed). True when the material state changed, which the plan
    // record stores.
    bool ReadFromModel(bool force);
    // Reads the material of the part from the materials reference; false
    // (and nothing shown) for a part whose material has no "Location". A
    // reference that cannot be reached, or fails while it answers (a record
    // that fails its check), is shown and leaves materialUnread saying why,
    // and false.
    bool ReadMaterial(const HostPart& part);
    // Attaches the dimension's tolerance to its entry when the dimension
    // shows one.
    void ReadTolerance(PartVariable& entry, const HostDimension& dimension);
    // The phases of ReadFromModel: the material of the file the part is
    // linked to (true when it was looked at), the steel table's values where
    // the reference left them empty, and the model's dimensions and
    // roughness signs as variables.
    bool ReadLinkedMaterial(const PartProperties& properties, bool force);
    void CompleteFromSteelTable(const PartProperties& properties);
    void AddModelAnnotations(const HostDocument& document);
    // The table in a grid: a header row, then name, value and description.
    void FillGrid(GridControl& grid) const;
    // "P3.0.Z.HT" gives 130: the letter's hundreds, ten times the main
    // number, then the sub number.
    static double McCodeOf(const std::string& text);

    std::string materialName;
    std::string materialGroup;
    std::string mcCodeText;
    std::string materialLocation;
    // Why the materials reference could not give the part's material, empty
    // when it did (or was not asked). While set, what only the reference (or
    // the steel table in its place) gives is unknown: "MTRL." values but the
    // density and the texts of the part, and the material's "MODEL." values;
    // a formula that needs one fails as any unknown name does.
    std::string materialUnread;
    // Last-write time of the part's linked source file when last examined.
    std::uint32_t linkedFileTimeLow = 0;
    std::uint32_t linkedFileTimeHigh = 0;
    // Cleared before each reading of the material.
    double clearedBeforeRead1 = 0;
    double clearedBeforeRead2 = 0;
    double mcCode = 0;
    double gostGroup = 0;
    double hardnessHB = 0;
    double hardnessHRC = 0;
    double kvMet = 0;
    double xMat = 0;
    double kShl = 0;
    double tensileStrength = 0;  // MPa
    std::unique_ptr<MATERIAL> material;

private:
    PartVariable* Append(std::string_view name, char kind, std::string_view description);

    // In the order of creation.
    std::vector<std::unique_ptr<PartVariable>> variables;
};

// ReadFromModel for the plan's reader of the part variables.
bool ReadPartVariables(DETAIL_PARAMETERS& part, bool force);

}  // namespace zarvento
