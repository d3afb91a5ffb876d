// The machine cycle: evaluation of its parameters, copies, storage under the
// operation's record and ownership of its sub-frames.
#include "nc/cycle_auto.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "geometry/primitives.h"
#include "nc/frame_text_format.h"
#include "nc/modal_state.h"
#include "nc/parameters.h"
#include "platform/core/variant.h"
#include "platform/documents/storage_record.h"

namespace zarvento {

namespace {

CycleDialogRunner g_dialogRunner = nullptr;

// The value text of a mandatory parameter read as the C library would: the
// leading number, 0 when there is none.
double LeadingValue(const std::string& text) {
    std::string_view t = text;
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    double v = 0.0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    return r.ec == std::errc() ? v : 0.0;
}

// A mandatory parameter's text that gives it no value: nothing, or one that
// starts with no positive number. A text that starts with a name is a
// formula, judged by its value (ParameterFault).
bool MissingText(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first != std::string::npos && (std::isalpha(static_cast<unsigned char>(text[first])) || text[first] == '_'))
        return false;
    return LeadingValue(text) < EPS;
}

}  // namespace

CycleDialogRunner RegisterCycleDialogRunner(CycleDialogRunner runner) {
    CycleDialogRunner previous = g_dialogRunner;
    g_dialogRunner = runner;
    return previous;
}

CCycle_Auto::CCycle_Auto() { kindLetter = 'U'; }

CCycle_Auto::~CCycle_Auto() = default;

// --- evaluation ---

void CCycle_Auto::SetParentParameters(PARAMETERS* parent) {
    // The frames an operation makes from this cycle's values ask the cycle's
    // own provider first; past it they must still reach the operation and
    // the plan (the operation's name, the tool of a tool change).
    if (groupFlag) {
        for (auto& m : members) m->SetParentParameters(parent);
        codeParameters->parent = parent;
        return;
    }
    parentProvider = parent;
    provider = std::make_unique<MANUFACTUR_FEATURE>(this, parent);
    codeParameters->parent = provider.get();
}

bool CCycle_Auto::EvaluateSlot(CycleParameter& p, const std::string& formula, double& result) {
    if (!provider) SetParentParameters(parentProvider);
    // A group has no provider of its own: its slots are no values.
    bool ok = provider && provider->CalcFormula(result, formula, true);
    if (p.kind == 'i') {
        std::int32_t n = 0;
        // A result beyond an integer (or not a number) is a failure, never a wrapped value.
        if (TruncateToInt32(result + EPS, n)) {
            p.intValue = n;
        } else {
            p.intValue = 0;
            ok = false;
        }
    }
    p.realValue = result;
    p.error = ok ? 0 : 1;
    p.evaluated = 1;
    return ok;
}

void CCycle_Auto::CalcParameters(bool automatic) {
    if (groupFlag) {
        for (auto& m : members) m->CalcParameters(automatic);
        return;
    }
    automaticPass = automatic ? 1 : 0;
    if (automatic || !provider) SetParentParameters(parentProvider);
    const int count = std::clamp(paramCount, 0, kMaxParameters);
    for (int i = 0; i < count; ++i) params[static_cast<std::size_t>(i)].evaluated = 0;
    for (int i = 0; i < count; ++i) {
        CycleParameter& p = params[static_cast<std::size_t>(i)];
        FormulaErrorText.clear();
        if (p.IsList() || (automatic && p.kind == 'A')) continue;
        const std::string formula = p.kind == 'A' ? p.autoFormula : p.valueText;
        double result = 0.0;
        const bool ok = EvaluateSlot(p, formula, result);
        if (!ok)
            FormulaErrorText = (FormulaErrorText.empty() ? std::string(kEvaluationError) : FormulaErrorText) + p.name;
        if (automatic && !ok) break;
    }
    automaticPass = 0;
}

std::string CCycle_Auto::ParameterFault() {
    if (groupFlag) {
        for (auto& m : members)
            if (m->included)
                if (std::string fault = m->ParameterFault(); !fault.empty()) return fault;
        return {};
    }
    const int count = std::clamp(paramCount, 0, kMaxParameters);
    for (int i = 0; i < count; ++i) {
        CycleParameter& p = params[static_cast<std::size_t>(i)];
        if (p.IsList() || !p.evaluated) continue;
        const std::string& formula = p.kind == 'A' ? p.autoFormula : p.valueText;
        const std::string head = "Параметр цикла " + gcode + " " + p.name + " = " + formula;
        if (p.error) {
            // The evaluator's own words: evaluated once more, from a clean state.
            std::string why;
            // Its own slot unevaluated again, so that a formula reaching
            // itself shows as the cycle it is.
            if (provider) {
                const auto evaluate = [&] {
                    provider->errorText.clear();
                    FormulaErrorText.clear();
                    p.evaluated = 0;
                    double result = 0.0;
                    const bool evaluates = provider->CalcFormula(result, formula, true);
                    p.evaluated = 1;
                    p.error = 1;
                    why = !FormulaErrorText.empty() ? FormulaErrorText : provider->errorText;
                    FormulaErrorText.clear();
                    return evaluates && why.empty();
                };
                // Before the cycle is written its feature ("_FH", "_FX", ...)
                // is not filled yet: a formula that evaluates once the
                // feature is there is evaluated for good when written.
                if (!evaluate() && !provider->featureRecord) {
                    const std::string own = why;
                    provider->featureRecord = std::make_unique<MANUFACTUR_FEATURE::FeatureRecord>();
                    const bool withFeature = evaluate();
                    provider->featureRecord.reset();
                    if (withFeature) continue;
                    why = own;
                }
            }
            if (why.empty()) why = p.kind == 'i' ? kNotAnInteger : kUnknownName;
            while (!why.empty() && why.back() == ' ') why.pop_back();
            return head + kNotEvaluated + why;
        }
        if (!std::isfinite(p.realValue)) return head + kNotFinite;
        // A mandatory parameter whose text is no positive number is missing
        // (GetMissingParameters), and warned of as such.
        const bool mandatory = p.kind == 'O' || p.kind == 'K';
        if (mandatory && !MissingText(p.valueText) && p.realValue < EPS)
            return head + kNotPositive + FormatDouble(p.realValue);
    }
    return {};
}

const double* CCycle_Auto::FindParameter(std::string_view name) {
    CycleParameter* p = FindParam(name);
    if (p == nullptr) return nullptr;
    if (automaticPass && (p->kind == 'A' || p->IsList())) return nullptr;
    if (p->IsList()) {
        if (p->valueText.empty()) p->intValue = 0;
        const auto index = static_cast<std::size_t>(p->ListIndex());
        p->realValue = ModalState.templateActive ? p->listCodes[index] : p->listValues[index];
        return &p->realValue;
    }
    if (p->evaluated) {
        // A value left by a failed evaluation is no value: what depends on it fails too.
        if (p->error) return nullptr;
        if (p->kind == 'i') p->realValue = p->intValue;
        return &p->realValue;
    }
    // Not reset: a formula that reaches itself through other parameters is a cycle.
    if (!provider) SetParentParameters(parentProvider);
    if (!provider) return nullptr;  // a group
    double result = 0.0;
    std::int32_t n = 0;
    const bool ok =
        provider->CalcFormula(result, p->valueText, false) && (p->kind != 'i' || TruncateToInt32(result + EPS, n));
    if (!ok) {
        p->error = 1;
        return nullptr;
    }
    p->error = 0;
    p->evaluated = 1;
    p->realValue = result;
    if (p->kind == 'i') p->intValue = n;
    return &p->realValue;
}

std::string CCycle_Auto::GetMissingParameters() {
    std::string missing;
    for (const CycleParameter& p : params) {
        if ((p.kind != 'O' && p.kind != 'K') || p.IsList()) continue;
        if (!MissingText(p.valueText)) continue;
        if (!missing.empty()) missing += ", ";
        missing += p.name;
    }
    return missing;
}

int CCycle_Auto::EditParameters() { return g_dialogRunner ? g_dialogRunner(*this) : 0; }

// --- copies ---

CCycle_Auto& CCycle_Auto::Copy(const CCycle_Auto& source) {
    if (&source == this) return *this;
    paramCount = source.paramCount;
    cycleName = source.cycleName;
    noteText = source.noteText;
    comment = source.comment;
    cycleType = source.cycleType;
    gcode = source.gcode;
    groupFlag = source.groupFlag;
    groupFlag2 = source.groupFlag2;
    operation = source.operation;
    parentProvider = source.parentProvider;
    if (provider) provider->parent = parentProvider;  // formulas now see the copied chain
    params = source.params;
    postProcessorName = source.postProcessorName;
    cycleVariables = source.cycleVariables;
    toolDemands = source.toolDemands;
    profilDemands = source.profilDemands;
    trajectory = source.trajectory;
    spareText = source.spareText;
    included = source.included;
    counter = source.counter;
    cycleTemplate = source.cycleTemplate;

    // Shared, not duplicated: the frames live until the last cycle lets go.
    ShareSubFrames(source);

    textList = source.textList;
    entryList = source.entryList;
    // Built aside first: the source may be one of this cycle's own members.
    std::vector<std::unique_ptr<CCycle_Auto>> copies;
    copies.reserve(source.members.size());
    for (const auto& m : source.members) {
        auto copy = std::make_unique<CCycle_Auto>();
        if (m) copy->Copy(*m);
        copies.push_back(std::move(copy));
    }
    members = std::move(copies);
    return *this;
}

// --- storage ---

bool CCycle_Auto::SaveParameters(StorageRecord& parentRecord) {
    const bool anyValue =
        std::any_of(params.begin(), params.end(), [](const CycleParameter& p) { return !p.valueText.empty(); });
    if (!anyValue) return false;
    StorageRecord record;
    if (!record.OpenWrite(parentRecord.Name() + "." + gcode)) return false;
    CCadreCycle::SaveParameters(record);
    if (groupFlag) {
        record.AddNamedValue("Ncycles", Variant::Int(static_cast<std::int32_t>(members.size())));
        for (auto& m : members) m->SaveParameters(record);
    }
    record.Flush();  // here, so that a failing host call reaches the caller
    return true;
}

bool CCycle_Auto::LoadParameters(StorageRecord& parentRecord) {
    StorageRecord record;
    if (!record.OpenRead(parentRecord.Name() + "." + gcode)) {
        // Older documents keep the values inside the operation's own record.
        ReadParameterEntries(parentRecord);
        return true;
    }
    CCadreCycle::LoadParameters(record);
    if (groupFlag) {
        record.ReadNamedValue("Ncycles");
        const Variant& stored = record.ReadBuffer();
        const std::int32_t n = stored.IsEmpty() ? 0 : stored.ChangeType(VarType::Int).AsI4();
        const std::int32_t count = std::min<std::int64_t>(n, static_cast<std::int64_t>(members.size()));
        for (std::int32_t i = 0; i < count; ++i) members[static_cast<std::size_t>(i)]->LoadParameters(record);
    }
    return true;
}

// --- frame slots that walk members and sub-frames ---

void CCycle_Auto::SetModalState() {
    if (groupFlag) {
        for (auto& m : members)
            if (m->included) m->SetModalState();
        return;
    }
    CCadreISO::SetModalState();
    for (CCadreISO* f : SubFrames()) f->SetModalState();
}

double* CCycle_Auto::GetVariable(std::string_view name) {
    if (name == "_C_NP") {
        printUnitCount_ = printContour ? printContour->Count() : 0;
        return &printUnitCount_;
    }
    if (!provider) return nullptr;
    // Template formulas only read through the pointer; the storage behind it
    // is the cycle's slots, its feature record or an outer provider's value.
    return const_cast<double*>(provider->GetParameter(name));
}

void CCycle_Auto::AddToList(std::vector<CCadreISO*>& list) {
    if (!groupFlag) {
        list.push_back(this);
        return;
    }
    for (auto& m : members)
        if (m->included) m->AddToList(list);
}

void CCycle_Auto::Move(double dx, double dy, double dz) {
    if (groupFlag) {
        for (auto& m : members) m->Move(dx, dy, dz);
        return;
    }
    CCadreISO::Move(dx, dy, dz);
    for (CCadreISO* f : SubFrames()) f->Move(dx, dy, dz);
}

const CUnit* CCycle_Auto::WorkUnit(int i) const {
    if (!workContour || i < 0 || i >= workContour->Count()) return nullptr;
    return workContour->GetUnit(i);
}

}  // namespace zarvento
