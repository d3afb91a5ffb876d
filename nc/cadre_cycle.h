// CCadreCycle: the frame that holds a machine cycle's 40 parameter slots and
// its texts, with the parameter table and the positional storage layout.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "nc/cadre_iso.h"
#include "nc/cycle_parameter.h"

namespace zarvento {

class StorageRecord;

class CCadreCycle : public CCadreISO {
public:
    static constexpr int kMaxParameters = 40;
    // Shown when a list entry is added with no parameter to take it.
    static constexpr const char* kIndexError = "ind error";

    CCadreCycle() = default;

    // --- parameter table ---
    // Fills the slot at the parameter count (kind 'i', value text "%d"); false,
    // changing nothing, when all 40 slots are in use.
    bool AddParamInt(std::string_view name, std::int32_t value, std::string_view caption);
    // The same with kind 'd' and "%g"; a default above 1e19 makes the kind 'A'.
    bool AddParamDouble(std::string_view name, double value, std::string_view caption);
    // The value text of the slot at index = parameter count (callers lower the
    // count by one to reach the slot just added).
    void SetParamExpression(std::string_view text);
    // The value text and the caption of slot i; false for a slot outside 0..39.
    bool SetParamExpressionAt(int i, std::string_view text);
    bool SetParamComment(int i, std::string_view caption);
    // Appends an entry to the list of the slot just added; a 21st entry is ignored.
    void AddListValue(std::string_view text);
    // The first of the used slots with exactly that name, or null.
    CycleParameter* FindParam(std::string_view name);
    const CycleParameter* FindParam(std::string_view name) const;

    // --- storage: all values positional ---
    // The count of slots with a value text, then index and value text of each
    // (a list parameter stores its chosen index + 1).
    virtual bool SaveParameters(StorageRecord& record);
    // Clears the slots and reads them back in the same layout.
    virtual bool LoadParameters(StorageRecord& record);
    // Runs the parameter dialog; the result of the dialog.
    virtual int EditParameters() = 0;
    // Names of the mandatory parameters without a value, separated by ", ".
    virtual std::string GetMissingParameters() { return {}; }
    // Takes the values back from the parameter dialog's controls.
    virtual void ReadParametersFromDialog() {}

    const std::string& GetName() const { return cycleName; }
    const std::string& GetType() const { return cycleType; }
    const std::string& GetGCode() const { return gcode; }
    void SetName(std::string_view text) { cycleName = text; }
    void SetType(std::string_view text) { cycleType = text; }
    void SetGCode(std::string_view text) { gcode = text; }
    void SetComment(std::string_view text) { comment = text; }

    std::array<CycleParameter, kMaxParameters> params;
    std::int32_t paramCount = 0;
    std::string cycleName;       // NAME, the title
    std::string noteText;        // the footnote under the parameter list
    std::string comment;         // COMMENT, the description
    std::string cycleType;       // TYPE: "Turning", "Drilling", "Threading", ...
    std::string gcode;           // GCODE, which identifies the cycle
    std::uint8_t groupFlag = 0;  // the parameters name member cycles
    std::uint8_t groupFlag2 = 0;

protected:
    // Reads count, then index and value pairs from the record's read position
    // into the slots. Entries for slots that do not exist are skipped.
    void ReadParameterEntries(StorageRecord& record);
};

// The value text of a list parameter read back: the stored number - 1, or
// entry 0 when the text is empty, not a number or outside the list.
std::int32_t ListIndexFromText(const CycleParameter& p, std::string_view text);

}  // namespace zarvento
