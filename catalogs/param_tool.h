// ParamTool: one turret position of the plan (which catalog tool is mounted,
// its model file, corrections, cost data and the model's variable table),
// with its stored record and the tool's 2D contour taken from its model.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "catalogs/param_variable.h"
#include "platform/documents/host_document.h"
#include "platform/model_view.h"

namespace zarvento {

class Contour;
class PARAMETERS;
class ParamsGrid;

class ParamTool {
public:
    static constexpr int kMaxVariables = 30;
    // Caption and icon of the record's message boxes.
    static constexpr const char* kCaption = "Orbisel";
    static constexpr int kWarningIcon = 0x30;
    static constexpr int kInformationIcon = 0x40;

    ParamTool();
    // Copies share the contour and the model document; each keeps its link to
    // the sketch source. The contour is freed by its last holder, so a copy
    // and its source may be destroyed or cleared in any order.
    ParamTool(const ParamTool& other) = default;
    ParamTool& operator=(const ParamTool& other) = default;
    // Closes the model document when no other record shares it.
    virtual ~ParamTool();

    virtual void Reset();

    // Deletes this record's hold on the contour (the contour goes with its
    // last holder).
    void ClearContour();
    // The fields taken from a model's variables back at their reset values,
    // for a position about to take another model: what the new model does
    // not say (an internal flag, a tip position, a radius) is not the old
    // one's.
    void ResetModelFields();
    // Closes the held model document without saving and releases it.
    void CloseModel();

    bool IsEqual(const ParamTool& other) const;
    // -1 for an empty position, else the integer part of TYPE_ + 0.1.
    int GetType() const;
    // Looks the name up among the first Npv entries.
    bool GetVariable(std::string_view name, double& value) const;
    void SetVariable(std::string_view name, double value);

    // The record of one position ("Zarvento.TOOLS1.T%d", "Zarvento.GADGETS1.G%d").
    bool Save(const std::string& recordName) const;
    bool Load(const std::string& recordName);
    static std::string ToolRecordName(int index);
    static std::string GadgetRecordName(int index);

    // --- the model's variables ---
    // Reads a model's variable table (in the model's order) into the record.
    void ReadModelVariables(const HostDocument& model);
    // Opens the working copy and reads its variables.
    void ReadModelVariablesFromFile();
    // Writes the record's values into the working copy's variables, rebuilds
    // it and reads them back. Expressions are evaluated on `provider` (the
    // plan's provider when null).
    void WriteModelVariables(PARAMETERS* provider = nullptr);
    // The tip-position code for the spindle direction, hand and mounting, and
    // the nose-centre shift from it.
    void UpdateTipPosition();
    // The mounting side from the variables just read: a tool of kind 12 is
    // internal, and so is one whose model gives an internal tip position
    // (1, 2 or 6: a boring bar) without saying how it is mounted, so that the
    // program drives the point its tip position names.
    void TakeMounting();
    // The ISO-1832-style insert code into sComment ("" with Form 0).
    void MakeInsertDesignation();
    void FillParamsGrid(ParamsGrid& grid) const;
    // Lets the user choose a row of the model's size table: the row's
    // designation goes to sComment, its values into the model, which is
    // rebuilt and read back.
    void EditVariablesTable();

    // --- the model file ---
    // Copies the catalog model into the session folder as "<kind>_<index+1>.rdp".
    void CopyModelToSession(int index);
    // Copies, opens, pushes the record's values, rebuilds, reads back, saves.
    void LoadModel();
    // For an adaptive tool, redraws the model's "Contour" sketch from the
    // contour pSketchSource refers to.
    void ReadContourSketch();
    void DrawAdaptiveSketch();
    // Builds pContour from the model's view of the spindle direction, turned
    // by Angle - 90 (the projected body, or for a model without one its
    // sketch "Contour"), its origin, the nose centre, moved to NoseCentre:
    // the programmed point is the contour's (0, 0).
    void CreateToolContour();

    // --- the tool as the program, the simulation, the sketches and the
    // collision check see it: one model, these its parts ---
    // The model's view the tool is seen in: "#Сверху" for a tool turned over
    // (any spindle direction but M3), "#Снизу" otherwise; the 3D scene turns
    // its model over about X for M4 alike.
    bool ViewFromAbove() const { return M34 != 3; }
    // How far that view is turned (degrees, counter-clockwise) to lie in the
    // turning plane (2D x is Z, 2D y is X); the 3D scene turns the model
    // about Y by the mounting angle alike.
    double ViewTurn() const { return Angle - 90.0; }
    // The nose centre from the programmed point, in the turning plane's
    // (z, x), from the tip position and the corner radius (UpdateTipPosition).
    void NoseCentre(double& z, double& x) const {
        z = dNoseDx;
        x = -dNoseDy;
    }
    // The outline of a tool model seen from below or above and turned by
    // `turnDegrees`: its projected body, or for a model without one its
    // sketch "Contour" (mirrored for the view from above); without the
    // closing arcs of radius 10000.
    static std::vector<OutlinePiece> ModelOutline(const HostDocumentPtr& model, bool fromAbove, double turnDegrees);

    // The message shown when a tool's model file is missing, and showing it.
    static std::string MissingModelMessage(const std::string& path);
    static void ReportMissingModel(const std::string& path);

    // The catalog model's full path: library folder + sCatalogFolder + sFileName.
    std::string CatalogModelPath() const;
    // The model file as the record names it: the catalog path for a catalog
    // tool, sFileName otherwise.
    std::string ModelPath() const;

    // Finds the tool's model file again: where the record says, else the
    // first catalog file "\TOOLS\*.rdp" whose name begins like sToolName.
    // A file changed since it was taken is loaded again; with `report` the
    // user is told. False when no file is found (or the record is no tool).
    bool FindModelFile(bool report);
    // Notes the model file's write time as it is now, for a model just taken
    // from its file: only a later change of the file loads it again.
    void TakeModelWriteTime();
    // Settings written in braces after a tool name ("...{T3 X1.5 Z-2 M4}");
    // true when a brace was found and Position >= 0 afterwards.
    bool ParseNameSettings(const std::string& name);
    // "ГОСТ <number>" from sPsevName into an empty sGost.
    void FindGOST();
    // The display name before "ГОСТ", the insert code and the standard into
    // an empty sDesignation; a display name that names the mark already is
    // the designation itself.
    void MakeDesignation();

    // --- the tool's name in the size it was chosen in ---
    // The name of a tool of a model in one row of its size table: the model's
    // name (settings in braces kept at its end) with the row's designation,
    // which goes before "ГОСТ" where the model's name has one and the row
    // does not. The model's name alone without a designation.
    static std::string NameWithDesignation(const std::string& modelName, const std::string& designation);
    // The name as the tables show it: cut at its first "{", trailing blanks removed.
    static std::string DisplayName(const std::string& toolName);
    // The model file's name, without its folder and extension (sToolName
    // for a record without a file).
    std::string ModelName() const;
    // The size-table row the tool was chosen in: its designation becomes the
    // mark (sComment) and part of the tool's name, which the program's
    // head, the plan tree, the setup sheet and the sketches print.
    void TakeSizeDesignation(const std::string& designation);
    // The tool's drawing (the model path with the drawing extension), opened
    // for the panel's slide; null when it cannot be opened.
    HostDocumentPtr LoadSlide();
    // The drawing path of a model path: its last three characters replaced
    // by the drawing extension's letters.
    static std::string SlidePath(const std::string& modelPath);
    // The message shown when a relocated or changed model was loaded again.
    static std::string UpdatedModelMessage(const std::string& displayName);

    // ---- fields, in the record's order ----
    bool isFromCatalog = true;
    std::string sToolName;
    std::string sPsevName;
    std::string sFileName;
    std::string sRefrName;
    std::string sWorkFile;
    std::string sComment;
    std::string sGost;
    std::string sDesignation;
    std::string sExt = ".rdp";
    std::string sFileRez;
    double Cins = 3500.0;
    double Hzat = 10.0;
    std::int32_t nTimeFileHigh = 0;
    std::int32_t nTimeFileLow = 0;
    std::string sCatalogFolder = "\\TOOLS\\";
    std::string sKind = "Tool";
    std::int32_t Position = -1;
    std::int32_t nCopyIndex = -1;
    double CorrectX = 0;
    double CorrectZ = 0;
    double Angle = 0;
    std::int16_t M34 = 3;
    std::shared_ptr<Contour> pContour;
    // Where the operation keeps its working contour; a link, never owned.
    const std::unique_ptr<Contour>* pSketchSource = nullptr;
    bool isNoContour = false;
    std::array<ParamVariable, kMaxVariables> aVariables{};
    std::int32_t Npv = 0;
    bool isModelCopied = false;
    bool isModelLoaded = false;
    double r = 0;
    double dNoseDx = 0;
    double dNoseDy = 0;
    std::int32_t nP = -1;
    double D = 0;
    double fi = 0;
    double d_centr = 0;
    double TYPE_ = 0;
    bool hasSizeTable = false;
    bool Adapt = false;
    bool isSketchContour = false;
    bool isInter = false;
    bool isLeft = false;
    std::int32_t Form = 0;
    double Lvlt = 0;
    double offsetZ = 0;
    double iC = 0;
    double gamma = 0;
    double s = 0;
    HostDocumentPtr pModel;

protected:
    // Takes the derived field of a protocol variable; `fromModel` adds
    // "gamma", "s" and "file_rez", which the stored record does not set.
    void TakeDerivedField(const ParamVariable& var, bool fromModel);
    // The model of sWorkFile, opened invisibly (already open: that one).
    static HostDocumentPtr OpenWorkModel(const std::string& path);
};

// The integer part of value + 0.1 (codes kept in the model's reals); the
// fallback when no integer holds it (NaN, out of range).
int CodeOfReal(double value, int fallback);
// A flag kept in a real: value - 0.1 > 0.
bool FlagOfReal(double value);

// Note markers of model variables.
bool IsReferenceNote(std::string_view note);  // ends in '*'
bool IsHiddenNote(std::string_view note);     // ends in '%'
// The expression between the note's last "{" and last "}", without the
// character right after "{" and without leading blanks; false (out
// untouched) when the note has no such braces.
bool ExtractNoteExpression(std::string_view note, std::string& out);

// The provider whose formulas the tool variables' expressions are evaluated
// on (the plan registers its own); null when none is registered.
PARAMETERS* ToolFormulaProvider();
void SetToolFormulaProvider(PARAMETERS* provider);

// The session folder that receives the working copies of tool and fixture
// models (the plan sets its temporary directory here).
std::string ToolSessionDirectory();
void SetToolSessionDirectory(std::string dir);

// The folder of a document path with its trailing separator ("" for none).
std::string DocumentFolderOf(const std::string& documentPath);

}  // namespace zarvento
