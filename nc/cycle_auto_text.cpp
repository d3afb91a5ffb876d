// The machine cycle's NC text: the built-in CYCLE line with its end values
// and unit frames, or the post-processor's template; its position count and
// its feature record.
#include <algorithm>
#include <cmath>

#include "geometry/primitives.h"
#include "nc/address_table.h"
#include "nc/cadre_g80.h"
#include "nc/cycle_auto.h"
#include "nc/cycle_definition_links.h"
#include "nc/frame_text_format.h"
#include "nc/modal_state.h"
#include "platform/documents/settings_record.h"

namespace zarvento {

namespace {

constexpr const char* kTemplateVersion = "18";

// X of the CYCLE line by the settings' X convention; a value outside the
// three known ones prints the diameter.
double CycleX(double x) {
    switch (SettingsRecord::Global().xOutputMode) {
        case 1: return x;
        case 2: return -x;
        default: return x * -2.0;
    }
}

// Keeps the numbering mark and the address table's values over the unit
// frames of a printed contour, and restores both on every exit.
class PrintContourScope {
public:
    explicit PrintContourScope(std::uint8_t numbered) : saved_(ModalState.lastLineNumbered) {
        ModalState.lastLineNumbered = numbered;
        AddressTable::Global().SaveValues();
    }
    ~PrintContourScope() {
        ModalState.lastLineNumbered = saved_;
        AddressTable::Global().RestoreValues();
    }
    PrintContourScope(const PrintContourScope&) = delete;
    PrintContourScope& operator=(const PrintContourScope&) = delete;

private:
    std::uint8_t saved_;
};

}  // namespace

int CCycle_Auto::WriteText(std::vector<std::string>& lines, int number) {
    if (ModalState.exportRun) return number;
    if (groupFlag) {
        for (auto& m : members)
            if (m->included) number = m->WriteText(lines, number);
        return number;
    }
    usedTemplate = nullptr;
    if (CycleDefinitionLinks* links = GetCycleDefinitionLinks()) {
        const CCycle_Auto* definition = links->FindCurrentCycleDefinition(gcode);
        if (definition != nullptr) usedTemplate = definition->cycleTemplate.get();
    }
    if (ModalState.versionText == kTemplateVersion) {
        if (usedTemplate != nullptr) return WriteWithTemplate(lines, number);
        ModalState.builtInTextWritten = 1;
    }
    return WriteBuiltInText(lines, number);
}

int CCycle_Auto::WriteBuiltInText(std::vector<std::string>& lines, int number) {
    std::string line = FormatFrameNumber(number) + "CYCLE " + gcode + " ";
    const int count = std::clamp(paramCount, 0, kMaxParameters);
    for (int i = 0; i < count; ++i) {
        const CycleParameter& p = params[static_cast<std::size_t>(i)];
        if (p.kind == 'A') continue;
        line += " " + p.name;
        if (p.valueText.empty()) {
            line += "=0";
        } else if (p.IsList()) {
            line += "=" + p.valueText;
        } else {
            line += FormatAddressValue("=", p.realValue, true);
        }
    }
    line += "  " + cycleVariables;
    if (number == -1) {
        AddTextLine(lines, std::move(line));
        return -1;
    }
    int running = number + 1;
    const int n = WorkUnitCount();
    if (n == 0) return running;

    // The TYPEs that read units 1 and n - 2 need two units; with fewer the
    // line goes out bare.
    const bool twoUnits = n >= 2;
    if (cycleType == "Turning") {
        if (twoUnits) {
            line += FormatAddressValue("_Xbegin=", CycleX(WorkUnit(1)->StartPoint.x), true);
            line += FormatAddressValue("_Zbegin=", WorkUnit(1)->StartPoint.z, true);
            line += FormatAddressValue("_Xend=", CycleX(WorkUnit(n - 2)->EndPoint.x), true);
            line += FormatAddressValue("_Zend=", WorkUnit(1)->EndPoint.z, true);
        }
        AddTextLine(lines, std::move(line));
        if (!twoUnits) return running;
        for (int i = 1; i <= n - 2; ++i) {
            CadrePtr frame = WorkUnit(i)->CreateCadre();
            if (!frame) continue;
            // The unit frames print X in the program's convention, as the CYCLE line does.
            frame->SetOutputCoordinates();
            frame->WriteText(lines, running);
            ++running;  // whatever the frame returned
        }
        CCadre_G80 cancel;
        cancel.WriteText(lines, running);
        // Where the control stands after the cycle is its own affair: the
        // next move states every word.
        ForgetWrittenAxes();
        return running + 1;
    }
    if (cycleType == "Threading_Chisel") {
        if (twoUnits) {
            line += FormatAddressValue("_Xbegin=", CycleX(WorkUnit(1)->StartPoint.x), true);
            line += FormatAddressValue("_Zbegin=", WorkUnit(1)->StartPoint.z, true);
            line += FormatAddressValue("_Xend=", CycleX(WorkUnit(n - 2)->StartPoint.x), true);
            line += FormatAddressValue("_Zend=", WorkUnit(1)->EndPoint.z, true);
        }
        AddTextLine(lines, std::move(line));
    } else if (cycleType == "Threading_Tap_Die") {
        line += FormatAddressValue("_Zbegin=", WorkUnit(0)->StartPoint.z, true);
        line += FormatAddressValue("_Zend=", WorkUnit(0)->EndPoint.z, true);
        AddTextLine(lines, std::move(line));
    } else if (cycleType == "Drilling") {
        line += FormatAddressValue("_Zbegin=", start.z, true);
        line += FormatAddressValue("_Zend=", WorkUnit(0)->EndPoint.z, true);
        AddTextLine(lines, std::move(line));
    }
    return running;
}

MANUFACTUR_FEATURE::FeatureRecord& CCycle_Auto::FeatureRecord() {
    if (!provider) SetParentParameters(parentProvider);
    // A group writes through its members; should one be written by itself,
    // it gets a provider rather than a write through none.
    if (!provider) provider = std::make_unique<MANUFACTUR_FEATURE>(this, parentProvider);
    if (!provider->featureRecord) provider->featureRecord = std::make_unique<MANUFACTUR_FEATURE::FeatureRecord>();
    return *provider->featureRecord;
}

int CCycle_Auto::WriteWithTemplate(std::vector<std::string>& lines, int number) {
    SetOutputCoordinates();
    MANUFACTUR_FEATURE::FeatureRecord& record = FeatureRecord();
    record[1] = outX1;
    record[3] = start.z;
    CalcParameters(false);
    const CycleCodeLists* templ = usedTemplate;
    const std::size_t before = lines.size();
    std::int32_t n = number;
    CycleCodeLists::WriteLines(templ, this, lines, n, '0');
    if (!templ->printPnt.empty()) CycleCodeLists::WriteLines(templ, this, lines, n, '1');
    if (!templ->printCnt.empty() && printContour) {
        PrintContourScope scope(templ->printCnt.front().numbered);
        for (int i = 0; i < printContour->Count(); ++i) {
            CadrePtr frame = printContour->GetUnit(i)->CreateCadre();
            if (!frame) continue;
            if (i == 0 && statePrintStart) AddressTable::Global().ForgetValues();
            frame->SetModalState();
            frame->feed = 0.0;
            frame->spindleSpeed = spindleSpeed;
            frame->toolNumber = toolNumber;
            frame->spindleState = spindleState;
            frame->inheritNumbering = 1;
            frame->codeParameters->parent = provider.get();
            frame->SetOutputCoordinates();
            frame->WriteText(lines, n);
            if (n != -1) ++n;  // whatever the frame returned; -1 keeps numbering off
        }
    }
    if (!templ->printEnd.empty()) CycleCodeLists::WriteLines(templ, this, lines, n, '2');
    templateLineCount = static_cast<std::int32_t>(lines.size() - before);
    return n;
}

int CCycle_Auto::GetPositionCount() const {
    if (ModalState.versionText == kTemplateVersion) {
        if (usedTemplate != nullptr) return templateLineCount;
        ModalState.builtInTextWritten = 1;
    }
    if (groupFlag) {
        // A group takes the lines of the members it writes.
        int count = 0;
        for (const auto& m : members)
            if (m->included) count += m->GetPositionCount();
        return count;
    }
    return cycleType == "Turning" ? WorkUnitCount() : 1;
}

void CCycle_Auto::CreatePathFigure() {
    SetOutputCoordinates();
    const int n = WorkUnitCount();
    const bool turning = cycleType == "Turning";
    const bool hole = cycleType == "Drilling" || cycleType == "Threading_Tap_Die";
    const bool chisel = cycleType == "Threading_Chisel";
    if (!(turning || hole || chisel) || n == 0) return;  // the old record stays
    if (!provider) SetParentParameters(parentProvider);
    if (!provider) return;  // a group: its members have the records
    auto record = std::make_unique<MANUFACTUR_FEATURE::FeatureRecord>();
    record->fill(0.0);
    MANUFACTUR_FEATURE::FeatureRecord& r = *record;
    if (turning) {
        const BoundBox box = workContour->GetBoundBox();
        r[1] = outX1;
        r[3] = start.z;
        r[6] = box.zmax - EPS > start.z ? start.z - box.zmax : start.z - box.zmin;
        r[7] = start.x > box.xmin + EPS ? box.xmin - start.x : box.xmax - start.x;
    } else if (hole) {
        const CUnit* u0 = WorkUnit(0);
        r[3] = u0->StartPoint.z;
        r[7] = u0->StartPoint.z - u0->EndPoint.z;
    } else if (n >= 2) {  // a chisel thread reads units 0 and n - 2; with fewer the fields stay 0
        const CUnit* u0 = WorkUnit(0);
        const CUnit* uN = WorkUnit(n - 2);
        const double x0s = u0->StartPoint.x, z0s = u0->StartPoint.z, x0e = u0->EndPoint.x;
        const double xNs = uN->StartPoint.x, xNe = uN->EndPoint.x, zNe = uN->EndPoint.z;
        r[1] = start.x;
        r[3] = start.z;
        r[5] = std::hypot(-x0s - -xNe, z0s - zNe);
        r[6] = z0s - zNe;
        r[7] = x0e - x0s;
        r[8] = std::atan2(std::fabs(x0s - xNe), std::fabs(zNe - z0s));
        r[9] = x0e - xNs;
    }
    if (turning || hole || n >= 2) r[12] = n - 2;
    provider->featureRecord = std::move(record);
}

}  // namespace zarvento
