// The plan variables that formulas, frame templates and post-processor texts
// read: constants, plan-data values, cached statistics, and the values of a
// turret position or a fixture ("TOOL2._DIAM", "FIXT1._LVLT").
#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <ctime>

#include "geometry/primitives.h"
#include "nc/modal_state.h"
#include "plan/plan.h"
#include "plan/plan_reports.h"
#include "plan/spid.h"
#include "post/program_units.h"

namespace zarvento {

namespace {

// Two digits at least, as "%02d" prints them.
std::string TwoDigits(int v) {
    std::string text = std::to_string(v);
    return text.size() < 2 ? "0" + text : text;
}

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

// atoi's reading: blanks, a sign, the digits up to the first other
// character; 0 without digits. Out-of-range values saturate instead of
// being undefined.
int LeadingInt(std::string_view text) {
    std::size_t p = 0;
    while (p < text.size() && (text[p] == ' ' || (text[p] >= '\t' && text[p] <= '\r'))) ++p;
    if (p < text.size() && text[p] == '+') ++p;
    long long value = 0;
    auto [end, ec] = std::from_chars(text.data() + p, text.data() + text.size(), value);
    if (ec == std::errc::result_out_of_range) return text[p] == '-' ? INT_MIN : INT_MAX;
    if (ec != std::errc()) return 0;
    (void)end;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

// The model variable of that exact name among the record's valid entries.
double* ModelVariable(ParamTool& tool, std::string_view name) {
    const int count = std::clamp(tool.Npv, 0, ParamTool::kMaxVariables);
    for (int i = 0; i < count; ++i) {
        ParamVariable& entry = tool.aVariables[static_cast<std::size_t>(i)];
        if (entry.sName == name) return &entry.dValue;
    }
    return nullptr;
}

// The standard designation from the display name: "ГОСТ" and the word after it.
void FillGost(ParamTool& tool) {
    if (!tool.sGost.empty()) return;
    static const std::string kGost = "ГОСТ";
    const std::size_t at = tool.sPsevName.find(kGost);
    if (at == std::string::npos) return;
    std::size_t p = at + kGost.size();
    while (p < tool.sPsevName.size() && tool.sPsevName[p] == ' ') ++p;
    const std::size_t end = tool.sPsevName.find(' ', p);
    const std::string word = tool.sPsevName.substr(p, end == std::string::npos ? std::string::npos : end - p);
    if (!word.empty()) tool.sGost = kGost + " " + word;
}

}  // namespace

int CPLAN::ParseObjectIndex(std::string_view name) {
    if (name.size() <= 4) return -1;
    std::string_view number = name.substr(4);
    number = number.substr(0, number.find('.'));
    if (number == "i") return static_cast<int>(ModalState.loopIndex + 0.5) - 1;
    const int value = LeadingInt(number);
    return value == INT_MIN ? INT_MIN : value - 1;
}

const double* CPLAN::MissingParameter(std::string_view parameter) {
    planParameters->errorText = std::string(kMissingToolParameter) + std::string(parameter);
    return nullptr;
}

ParamTool* CPLAN::ObjectOf(std::string_view name, bool fixture, std::string_view& parameter) {
    if (name.size() <= 4) return nullptr;
    const std::size_t dot = name.find('.', 4);
    if (dot == std::string_view::npos) return nullptr;
    parameter = name.substr(dot + 1);
    const int number = ParseObjectIndex(name);
    CSPID* spid = GetSPID();
    return fixture ? static_cast<ParamTool*>(spid->GetGadget(number)) : spid->GetTool(number);
}

const double* CPLAN::ToolVariable(std::string_view name, bool fixture) {
    std::string_view parameter;
    ParamTool* object = ObjectOf(name, fixture, parameter);
    if (!object) return nullptr;
    if (!fixture) {
        // There is no stored "exists" flag besides the file name: a position
        // without a model answers 0.
        if (parameter == "_EXIS") return Slot(slots.exists, object->sFileName.empty() ? 0.0 : 1.0);
        if (parameter == "_RCOR") return &object->r;
        if (parameter == "_DIAM") return &object->D;
        if (parameter == "_TYPE") return &object->TYPE_;
    } else {
        // A fixture stands where its offsets put it; Y is the turning plane's.
        if (parameter == "_XPOS") return &object->CorrectX;
        if (parameter == "_YPOS") return Slot(slots.fixtureY, 0.0);
        if (parameter == "_ZPOS") return &object->CorrectZ;
        if (parameter == "_LVLT") return &object->Lvlt;
        if (parameter == "_DCLM" || parameter == "Dclamp") {
            if (const double* clamp = ModelVariable(*object, "Dclamp")) return clamp;
            return MissingParameter(parameter);
        }
    }
    if (const double* value = ModelVariable(*object, parameter)) return value;
    return MissingParameter(parameter);
}

const double* CPLAN::GetNumericVariable(std::string_view name) {
    if (name == "M_PI" || name == "_M_PI") return &PI;
    if (name == "_M__E") return &e;
    if (name == "_M_RD") return &degreesPerRadian;
    if (name == "_M_DR") return &radiansPerDegree;
    if (name == "_NPOS") return Slot(slots.positions, GetSPID()->Npositions);
    if (name == "_XTOP" || name == "_X_WS") return &GetSPID()->X0tool;
    if (name == "_ZTOP" || name == "_Z_WS") return &GetSPID()->Z0tool;
    if (name == "_DSAF") return Slot(slots.safety, 2.0 * GetSPID()->Xplane);
    if (name == "_ZSAF") return &GetSPID()->Zplane;
    if (name == "_ST_T") return Slot(slots.stockMethod, GetSPID()->nSposobStock);
    if (name == "_STBT") return Slot(slots.stockBuild, GetSPID()->StockBuilder().buildMethod);
    if (name.size() == 5 && name.substr(0, 3) == "_ST" && name[4] >= '1' && name[4] <= '2') {
        const std::string_view axis = "XYZ";
        const std::size_t a = axis.find(name[3]);
        if (a != std::string_view::npos) {
            // Minimum corner into slots 0..2, maximum into 3..5.
            GetSPID()->GetSourceExtents(stockBox[3], stockBox[4], stockBox[5], stockBox[0], stockBox[1], stockBox[2]);
            return &stockBox[(name[4] == '1' ? 0 : 3) + a];
        }
    }
    if (name.size() == 5 && name.substr(0, 3) == "_DT" && name[4] >= '1' && name[4] <= '2') {
        const std::string_view axis = "XYZ";
        const std::size_t a = axis.find(name[3]);
        if (a != std::string_view::npos) {
            GetSPID()->GetDetailExtents(detailBox[3], detailBox[4], detailBox[5], detailBox[0], detailBox[1],
                                        detailBox[2]);
            return &detailBox[(name[4] == '1' ? 0 : 3) + a];
        }
    }
    // A cached value not above the tolerance has not been computed yet.
    auto cachedValue = [this](Cached which, auto compute) {
        double& slot = cached[which];
        if (!(slot > EPS)) compute();
        return &slot;
    };
    if (name == "_MZAG") return cachedValue(kStockMass, [this] { cached[kStockMass] = GetZagotovkaMass(); });
    if (name == "_MDET") return cachedValue(kDetailMass, [this] { cached[kDetailMass] = GetDetailMass(); });
    if (name == "_DENS") return cachedValue(kDensity, [this] { cached[kDensity] = GetDensity(); });
    if (name == "_TOSN") return cachedValue(kMainTime, [this] { CalculateTime(); });
    if (name == "_TVSP") return cachedValue(kAuxTime, [this] { CalculateTime(); });
    if (name == "_NPAR") return cachedValue(kBatchSize, [this] { LoadCalculateC1(); });
    if (name == "_TPZK") return cachedValue(kSetupTime, [this] { LoadCalculateC1(); });
    if (name == "_NFIX") return Slot(slots.fixtures, GetSPID()->Ngadgets);
    if (name == "i") return ModalState.loopIndex > 0.0 ? &ModalState.loopIndex : nullptr;
    if (name == "_NumStr") return &ModalState.frameCounter;
    if (name == "_INCH") return Slot(slots.inch, nINCH);
    if (name.find("TOOL") != std::string_view::npos) return ToolVariable(name, false);
    if (name.find("FIXT") != std::string_view::npos) return ToolVariable(name, true);
    return nullptr;
}

const std::string* CPLAN::ToolString(std::string_view name, bool fixture) {
    std::string_view parameter;
    ParamTool* object = ObjectOf(name, fixture, parameter);
    if (!object) return nullptr;
    if (parameter == "sName") return &object->sToolName;
    if (parameter == "sMark") {
        if (object->sComment.empty() && !object->sFileName.empty()) object->LoadModel();
        return &object->sComment;
    }
    if (parameter == "sGOST") {
        FillGost(*object);
        return &object->sGost;
    }
    return nullptr;
}

const std::string* CPLAN::GetStringVariable(std::string_view name) {
    if (name == "_sPOST" || name == "_sExt") {
        const CPostProcessor* post = GetSPID()->GetPostProcessor();
        if (!post) return nullptr;
        return name == "_sPOST" ? &post->GetName() : &post->GetFileExtension();
    }
    if (name == "_sST_TYPE") {
        const char* stock = GetSPID()->GetSposobStockName();
        if (!stock) return nullptr;
        stockTypeText = stock;
        return &stockTypeText;
    }
    if (name == "_sMEMSTR") return &ModalState.heldLine;
    if (name == "_sDATE") {
        const std::tm now = LocalNow();
        dateText = TwoDigits(now.tm_mday) + "-" + TwoDigits(now.tm_mon + 1) + "-" + std::to_string(now.tm_year + 1900);
        return &dateText;
    }
    if (name == "_sTIME") {
        const std::tm now = LocalNow();
        timeText = TwoDigits(now.tm_hour) + ":" + TwoDigits(now.tm_min);
        return &timeText;
    }
    if (name.find("TOOL") != std::string_view::npos) return ToolString(name, false);
    if (name.find("FIXT") != std::string_view::npos) return ToolString(name, true);
    return nullptr;
}

double CPLAN::GetZagotovkaMass() {
    PlanReports* reports = GetPlanReports();
    return reports ? reports->StockMass(*this) : 0.0;
}

double CPLAN::GetDetailMass() {
    PlanReports* reports = GetPlanReports();
    return reports ? reports->DetailMass(*this) : 0.0;
}

double CPLAN::GetDensity() {
    PlanReports* reports = GetPlanReports();
    return reports ? reports->Density(*this) : 0.0;
}

void CPLAN::CalculateTime() {
    if (PlanReports* reports = GetPlanReports()) reports->CalculateTime(*this, cached[kMainTime], cached[kAuxTime]);
}

void CPLAN::LoadCalculateC1() {
    if (PlanReports* reports = GetPlanReports()) {
        reports->LoadCalculateC1(*this, cached[kBatchSize], cached[kSetupTime]);
    }
}

void CPLAN::ClearReportValues() {
    for (Cached which : {kStockMass, kDetailMass, kDensity, kMainTime}) cached[which] = 0.0;
}

void CPLAN::SetBatchValues(double batchSize, double setupTime) {
    cached[kBatchSize] = batchSize;
    cached[kSetupTime] = setupTime;
}

}  // namespace zarvento
