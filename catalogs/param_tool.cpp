// ParamTool: reset, comparison, variable look-up and the stored record.
#include "catalogs/param_tool.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "geometry/contour.h"
#include "geometry/primitives.h"
#include "platform/core/host_error.h"
#include "platform/core/process_state.h"
#include "platform/core/variant.h"
#include "platform/documents/host_application.h"
#include "platform/documents/storage_record.h"

namespace zarvento {

namespace {

std::string sessionDirectory;
PARAMETERS* formulaProvider = nullptr;

ZARVENTO_STATE_RESET {
    sessionDirectory.clear();
    formulaProvider = nullptr;
}

// The stored naming of the variable entries: current and older.
struct EntryNaming {
    const char* name;
    const char* value;
};
constexpr EntryNaming kCurrentNaming{"n", "v"};
constexpr EntryNaming kOlderNaming{"sName", "Value"};

std::string Indexed(const char* prefix, int i) { return prefix + std::to_string(i); }

// Reads a named value of the open record; a missing value leaves the field.
// A value of another type is converted (a failed conversion raises HostError).
const Variant* Named(StorageRecord& rec, const std::string& key) {
    rec.ReadNamedValue(key);
    return rec.ReadBuffer().IsEmpty() ? nullptr : &rec.ReadBuffer();
}
void ReadText(StorageRecord& rec, const char* key, std::string& field) {
    if (const Variant* v = Named(rec, key)) field = v->ToBStr();
}
void ReadReal(StorageRecord& rec, const char* key, double& field) {
    const Variant* v = Named(rec, key);
    if (!v) return;
    const double value = v->ToR8();
    // An edited record must not bring NaN or an absurd size into the paths.
    if (!IsPlausibleValue(value))
        throw HostError(DISP_E_OVERFLOW_, "record \"" + rec.Name() + "\", value \"" + key +
                                              "\": " + FormatDouble(value) + " is out of range");
    field = value;
}
void ReadInt(StorageRecord& rec, const char* key, std::int32_t& field) {
    if (const Variant* v = Named(rec, key)) field = v->ToI4();
}
void ReadFlag(StorageRecord& rec, const char* key, bool& field) {
    if (const Variant* v = Named(rec, key)) field = v->ToBool();
}

}  // namespace

// The integer part of value + 0.1, the model's way of storing codes in reals.
// A value that no integer holds (NaN, out of range) gives the fallback.
int CodeOfReal(double value, int fallback) {
    const double v = value + 0.1;
    if (!(v > static_cast<double>(std::numeric_limits<int>::min()) - 1.0 &&
          v < static_cast<double>(std::numeric_limits<int>::max()) + 1.0))
        return fallback;
    return static_cast<int>(v);
}
bool FlagOfReal(double value) { return value - 0.1 > 0; }

ParamTool::ParamTool() { Reset(); }

ParamTool::~ParamTool() {
    // A copy shares the document: only the last record holding it closes it.
    if (!pModel) return;
    HostApplication* app = HostApplicationObject();
    const long others = app && app->Documents().Contains(pModel) ? 2 : 1;
    if (pModel.use_count() <= others) {
        try {
            CloseModel();
        } catch (const HostError&) {
            // A destructor may run while another error passes; the document
            // then stays open in the host, which owns it.
        }
    }
}

void ParamTool::Reset() {
    isFromCatalog = true;
    sToolName.clear();
    sPsevName.clear();
    sFileName.clear();
    sRefrName.clear();
    sWorkFile.clear();
    sComment.clear();
    sGost.clear();
    sDesignation.clear();
    sExt = ".rdp";
    sFileRez.clear();
    Cins = 3500.0;
    Hzat = 10.0;
    nTimeFileHigh = 0;
    nTimeFileLow = 0;
    sCatalogFolder = "\\TOOLS\\";
    sKind = "Tool";
    Position = -1;
    nCopyIndex = -1;
    CorrectX = 0;
    CorrectZ = 0;
    Angle = 0;
    M34 = 3;
    pContour.reset();
    pSketchSource = nullptr;
    isNoContour = false;
    for (auto& v : aVariables) {
        v.sName.clear();
        v.sNote.clear();
        v.dValue = 0;
    }
    Npv = 0;
    isModelCopied = false;
    isModelLoaded = false;
    ResetModelFields();
    hasSizeTable = false;
    isSketchContour = false;
    Lvlt = 0;
    iC = 0;
    gamma = 0;
    s = 0;
    pModel.reset();
}

void ParamTool::ClearContour() { pContour.reset(); }

void ParamTool::CloseModel() {
    if (!pModel) return;
    HostDocumentPtr doc = std::move(pModel);
    pModel.reset();
    if (HostApplication* app = HostApplicationObject()) app->Documents().Close(doc);
}

bool ParamTool::IsEqual(const ParamTool& other) const {
    // Written as "not within" so that a NaN on either side is unequal.
    auto differs = [](double a, double b, double tol) { return !(std::fabs(a - b) <= tol); };
    if (sToolName != other.sToolName || sPsevName != other.sPsevName || sComment != other.sComment) return false;
    if (differs(CorrectZ, other.CorrectZ, EPS) || differs(CorrectX, other.CorrectX, EPS)) return false;
    if (isInter != other.isInter || isLeft != other.isLeft || M34 != other.M34) return false;
    if (nTimeFileHigh != other.nTimeFileHigh || nTimeFileLow != other.nTimeFileLow) return false;
    if (isFromCatalog != other.isFromCatalog) return false;
    if (!(TYPE_ == other.TYPE_)) return false;
    if (differs(Angle, other.Angle, 0.0001)) return false;
    const int n = std::clamp(Npv, 0, kMaxVariables);
    for (int i = 0; i < n; ++i)
        if (differs(aVariables[i].dValue, other.aVariables[i].dValue, 0.0001)) return false;
    return true;
}

int ParamTool::GetType() const {
    if (sToolName.empty()) return -1;
    return CodeOfReal(TYPE_, -1);
}

bool ParamTool::GetVariable(std::string_view name, double& value) const {
    const int n = std::clamp(Npv, 0, kMaxVariables);
    for (int i = 0; i < n; ++i)
        if (aVariables[i].sName == name) {
            value = aVariables[i].dValue;
            return true;
        }
    return false;
}

void ParamTool::SetVariable(std::string_view name, double value) {
    const int n = std::clamp(Npv, 0, kMaxVariables);
    for (int i = 0; i < n; ++i)
        if (aVariables[i].sName == name) {
            aVariables[i].dValue = value;
            return;
        }
}

std::string ParamTool::ToolRecordName(int index) { return "Zarvento.TOOLS1.T" + std::to_string(index); }
std::string ParamTool::GadgetRecordName(int index) { return "Zarvento.GADGETS1.G" + std::to_string(index); }

bool ParamTool::Save(const std::string& recordName) const {
    StorageRecord rec;
    if (!rec.OpenWrite(recordName)) return false;
    rec.AddNamedValue("Position", Variant::I4(Position));
    rec.AddNamedValue("isFromCatalog", Variant::Bool(isFromCatalog));
    rec.AddNamedValue("sToolName", Variant::BStr(sToolName));
    rec.AddNamedValue("sPsevName", Variant::BStr(sPsevName));
    rec.AddNamedValue("sFileName", Variant::BStr(sFileName));
    rec.AddNamedValue("sRefrName", Variant::BStr(sRefrName));
    rec.AddNamedValue("sComment", Variant::BStr(sComment));
    rec.AddNamedValue("sExt", Variant::BStr(sExt));
    rec.AddNamedValue("sFileRez", Variant::BStr(sFileRez));
    rec.AddNamedValue("Cins", Variant::R8(Cins));
    rec.AddNamedValue("Hzat", Variant::R8(Hzat));
    rec.AddNamedValue("nTimeFileHigh", Variant::I4(nTimeFileHigh));
    rec.AddNamedValue("nTimeFileLow", Variant::I4(nTimeFileLow));
    rec.AddNamedValue("Angle", Variant::R8(Angle));
    rec.AddNamedValue("CorrectZ", Variant::R8(CorrectZ));
    rec.AddNamedValue("CorrectX", Variant::R8(CorrectX));
    rec.AddNamedValue("Lvlt", Variant::R8(Lvlt));
    // The host's values have no 16-bit kind; the spindle code goes as I4.
    rec.AddNamedValue("M34", Variant::I4(M34));
    const int n = std::clamp(Npv, 0, kMaxVariables);
    rec.AddNamedValue("Npv", Variant::I4(n));
    for (int i = 0; i < n; ++i) {
        const ParamVariable& v = aVariables[i];
        rec.AddNamedValue(Indexed("n", i), Variant::BStr(v.sName));
        rec.AddNamedValue(Indexed("v", i), Variant::R8(v.dValue));
        if (!v.sExpression.empty()) {
            rec.AddNamedValue(Indexed("f", i), Variant::BStr(v.sExpression));
            rec.AddNamedValue(Indexed("D", i), Variant::R8(v.dDefault));
        }
    }
    return true;
}

bool ParamTool::Load(const std::string& recordName) {
    StorageRecord rec;
    if (!rec.OpenRead(recordName)) return false;
    rec.ReadNamedValue("Version");  // no writer stores it

    ReadInt(rec, "Position", Position);
    ReadFlag(rec, "isFromCatalog", isFromCatalog);
    ReadText(rec, "sToolName", sToolName);
    ReadText(rec, "sPsevName", sPsevName);
    ReadText(rec, "sFileName", sFileName);
    ReadText(rec, "sRefrName", sRefrName);
    ReadText(rec, "sComment", sComment);
    ReadText(rec, "sExt", sExt);
    ReadText(rec, "sFileRez", sFileRez);
    ReadReal(rec, "Cins", Cins);
    ReadReal(rec, "Hzat", Hzat);
    ReadInt(rec, "nTimeFileHigh", nTimeFileHigh);
    ReadInt(rec, "nTimeFileLow", nTimeFileLow);
    ReadReal(rec, "Angle", Angle);
    ReadReal(rec, "CorrectZ", CorrectZ);
    ReadReal(rec, "CorrectX", CorrectX);
    ReadReal(rec, "Lvlt", Lvlt);
    std::int32_t m34 = M34;
    ReadInt(rec, "M34", m34);
    if (m34 < std::numeric_limits<std::int16_t>::min() || m34 > std::numeric_limits<std::int16_t>::max())
        throw HostError(DISP_E_OVERFLOW_, "the spindle code of record " + recordName + " is out of range");
    M34 = static_cast<std::int16_t>(m34 == 0 ? 3 : m34);
    ReadInt(rec, "Npv", Npv);
    // The table holds 30 entries; a larger count (or a negative one) never
    // reaches past it.
    Npv = std::clamp(Npv, 0, kMaxVariables);

    if (!isFromCatalog && !sRefrName.empty()) {
        HostDocumentPtr active = ActiveHostDocument();
        sFileName = DocumentFolderOf(active->FilePath()) + sRefrName;
    }

    if (Npv != 0) {
        const Variant* first = Named(rec, "n0");
        const EntryNaming naming = first && !first->ToBStr().empty() ? kCurrentNaming : kOlderNaming;
        for (int i = 0; i < Npv; ++i) {
            ParamVariable& v = aVariables[i];
            ReadText(rec, Indexed(naming.name, i).c_str(), v.sName);
            ReadReal(rec, Indexed(naming.value, i).c_str(), v.dValue);
        }
        for (int i = 0; i < Npv; ++i) TakeDerivedField(aVariables[i], false);
    }

    TakeMounting();
    if (Form != 0) MakeInsertDesignation();
    return true;
}

void ParamTool::TakeDerivedField(const ParamVariable& var, bool fromModel) {
    const std::string& n = var.sName;
    const double v = var.dValue;
    if (n == "r")
        r = v;
    else if (n == "nP")
        nP = CodeOfReal(v, -1);
    else if (n == "__D")
        D = v;
    else if (n == "fi")
        fi = v;
    else if (n == "d_centr")
        d_centr = v;
    else if (n == "TYPE_")
        TYPE_ = v;
    else if (n == "Adapt")
        Adapt = FlagOfReal(v);
    else if (n == "isInter")
        isInter = FlagOfReal(v);
    else if (n == "isLeft")
        isLeft = FlagOfReal(v);
    else if (n == "offsetZ")
        offsetZ = v;
    else if (n == "Form")
        Form = CodeOfReal(v, 0);
    else if (fromModel && n == "gamma")
        gamma = v;
    else if (fromModel && n == "s")
        s = v;
    else if (fromModel && n == "file_rez")
        sFileRez = var.sNote;
}

void ParamTool::ResetModelFields() {
    r = 0;
    dNoseDx = 0;
    dNoseDy = 0;
    nP = -1;
    D = 0;
    fi = 0;
    d_centr = 0;
    TYPE_ = 0;
    Adapt = false;
    isInter = false;
    isLeft = false;
    Form = 0;
    offsetZ = 0;
}

PARAMETERS* ToolFormulaProvider() { return formulaProvider; }
void SetToolFormulaProvider(PARAMETERS* provider) { formulaProvider = provider; }

std::string ToolSessionDirectory() { return sessionDirectory; }
void SetToolSessionDirectory(std::string dir) { sessionDirectory = std::move(dir); }

std::string DocumentFolderOf(const std::string& documentPath) {
    const auto cut = documentPath.find_last_of("/\\");
    return cut == std::string::npos ? std::string() : documentPath.substr(0, cut + 1);
}

}  // namespace zarvento
