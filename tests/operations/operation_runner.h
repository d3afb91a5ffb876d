// The headless runner of the operation suites and benchmarks: a plan fixture
// (part and working contours as unit scripts, bar stock, turret tools, the
// description's VERSION, operations with their fields) is recalculated as the
// plan does it, and every operation's frames come back as one line each
// (frame kind, then its built-in NC text) after the operation's message.
// Header-only so that benchmarks include it as they are.
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "geometry/contour_script.h"
#include "nc/cadre_arc_g02.h"
#include "nc/cadre_arc_g03.h"
#include "nc/cadre_beg_oper.h"
#include "nc/cadre_comment.h"
#include "nc/cadre_doc1.h"
#include "nc/cadre_end_oper.h"
#include "nc/cadre_f.h"
#include "nc/cadre_g40.h"
#include "nc/cadre_g41.h"
#include "nc/cadre_g42.h"
#include "nc/cadre_g96.h"
#include "nc/cadre_g97.h"
#include "nc/cadre_line_g01.h"
#include "nc/cadre_m1.h"
#include "nc/cadre_m3.h"
#include "nc/cadre_m4.h"
#include "nc/cadre_m5.h"
#include "nc/cadre_m8.h"
#include "nc/cadre_m9.h"
#include "nc/cadre_name_oper.h"
#include "nc/cadre_s_f.h"
#include "nc/cadre_sp.h"
#include "nc/cadre_t.h"
#include "nc/modal_state.h"
#include "operations/turn.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "post/post_processor_settings.h"

namespace zarvento::test {

// The frame kind's short name: what template-only frames show in place of text.
inline std::string FrameKindName(CCadreISO& frame) {
    auto is = [&frame](auto* tag) { return dynamic_cast<decltype(tag)>(&frame) != nullptr; };
    if (is(static_cast<CCadre_NameOper*>(nullptr))) return "NameOper";
    if (is(static_cast<CCadre_BegOper*>(nullptr))) return "BegOper";
    if (is(static_cast<CCadre_EndOper*>(nullptr))) return "EndOper";
    if (is(static_cast<CCadre_SP*>(nullptr))) return "SP";
    if (is(static_cast<CCadre_T*>(nullptr))) return "T";
    if (is(static_cast<CCadre_G96*>(nullptr))) return "G96";
    if (is(static_cast<CCadre_G97*>(nullptr))) return "G97";
    if (is(static_cast<CCadre_S_F*>(nullptr))) return "S_F";
    if (is(static_cast<CCadre_F*>(nullptr))) return "F";
    if (is(static_cast<CCadre_M3*>(nullptr))) return "M3";
    if (is(static_cast<CCadre_M4*>(nullptr))) return "M4";
    if (is(static_cast<CCadre_M5*>(nullptr))) return "M5";
    if (is(static_cast<CCadre_M8*>(nullptr))) return "M8";
    if (is(static_cast<CCadre_M9*>(nullptr))) return "M9";
    if (is(static_cast<CCadre_M1*>(nullptr))) return "M1";
    if (is(static_cast<CCadre_G40*>(nullptr))) return "G40";
    if (is(static_cast<CCadre_G41*>(nullptr))) return "G41";
    if (is(static_cast<CCadre_G42*>(nullptr))) return "G42";
    if (is(static_cast<CCadre_ArcG03*>(nullptr))) return "G03";
    if (is(static_cast<CCadre_ArcG02*>(nullptr))) return "G02";
    if (is(static_cast<CCadre_LineG01*>(nullptr))) return frame.rapid ? "G00" : "G01";
    if (is(static_cast<CCadre_Comment*>(nullptr))) return "Comment";
    if (is(static_cast<CCadre_Doc1*>(nullptr))) return "Doc1";
    return "?";
}

class OperationRunner {
public:
    // Needs a connected host with an active part document (the operations
    // link to it when they are made).
    OperationRunner() : spid_(*GetSPID()), plan_(*GetPLAN()) { RegisterTurnFactory(); }

    // Bar stock from z - length to z, outer and inner diameter.
    OperationRunner& Bar(double length, double outer, double inner, double z) {
        CContourBuilderZagotovka& b = spid_.stockBuilder;
        b.buildMethod = CContourBuilderZagotovka::kBar;
        b.barLength = length;
        b.barDiameter = outer;
        b.barInnerDiameter = inner;
        b.barZ = z;
        return *this;
    }
    // A point inside the part: the final contours keep the side that holds it.
    OperationRunner& InnerPoint(double z, double x) {
        spid_.innerPointZ = z;
        spid_.innerPointX = x;
        return *this;
    }
    OperationRunner& Part(const std::string& script) {
        spid_.pDetailContour = Parse(script);
        return *this;
    }
    ParamTool& Tool(int position, const std::string& name, double cornerRadius, int m34 = 3) {
        ParamTool& tool = *spid_.GetTool(position);
        tool.sToolName = name;
        tool.r = cornerRadius;
        tool.M34 = static_cast<std::int16_t>(m34);
        tool.TYPE_ = 10;
        return tool;
    }
    OperationRunner& Version(const std::string& version) {
        PostProcessorSettings::Current().Version = version;
        return *this;
    }
    OperationRunner& ToolLifeStops(bool on) {
        plan_.isSTOP = on;
        return *this;
    }

    // Appends an operation whose working contour is the script; `setup`
    // gives it its fields.
    CTurn& Add(std::unique_ptr<CTurn> op, const std::string& workScript,
               const std::function<void(CTurn&)>& setup = {}) {
        if (!workScript.empty()) op->tableWorkContour = Parse(workScript);
        if (setup) setup(*op);
        return static_cast<CTurn&>(*plan_.InsertTurn(-1, std::move(op)));
    }
    CTurn& AddKind(int kind, const std::string& workScript, const std::function<void(CTurn&)>& setup = {}) {
        std::unique_ptr<PlanTurn> made = CPLAN::CreateTurnClass(kind);
        auto* op = dynamic_cast<CTurn*>(made.get());
        if (!op) throw std::runtime_error("no operation of kind " + std::to_string(kind));
        made.release();
        return Add(std::unique_ptr<CTurn>(op), workScript, setup);
    }
    // Deletes every operation of the plan; the set-up stays.
    OperationRunner& Clear() {
        plan_.ClearTurns();
        return *this;
    }
    CTurn& Operation(int i) { return static_cast<CTurn&>(*plan_.GetTurn(i)); }

    // Recalculates the plan as it does on every change.
    OperationRunner& Run() {
        plan_.DiagnosticRaschetPath();
        return *this;
    }

    // Operation i: "! " and its message when it has one, then one line per
    // frame: its built-in text (lines joined by " / "), or "<kind>" for a
    // frame that writes only through a template.
    // The text is written as a program writes it, from a reset modal state
    // through the operations before it.
    std::string Text(int i) {
        std::string all = ProgramText(i + 1);
        const std::string mark = "== " + std::to_string(i) + " ";
        const std::size_t at = all.find(mark);
        return at == std::string::npos ? std::string() : all.substr(all.find('\n', at) + 1);
    }
    // Operations 0 .. count-1, each after a line "== <index> <name>".
    std::string ProgramText(int count = -1) {
        if (count < 0) count = plan_.GetTurnCount();
        ResetModalState();
        std::string text;
        for (int i = 0; i < count && i < plan_.GetTurnCount(); ++i) {
            CTurn& op = Operation(i);
            text += "== " + std::to_string(i) + " " + op.sNameTurn + "\n";
            if (op.HasMessage()) text += "! " + op.messageText + "\n";
            std::vector<CCadreISO*> frames;
            op.CopyFramesTo(frames);
            for (CCadreISO* frame : frames) {
                std::vector<std::string> lines;
                frame->WriteText(lines, -1);
                std::string line;
                for (std::size_t k = 0; k < lines.size(); ++k) line += (k == 0 ? "" : " / ") + Trim(lines[k]);
                text += (line.empty() ? "<" + FrameKindName(*frame) + ">" : line) + "\n";
            }
        }
        return text;
    }

    static std::unique_ptr<Contour> Parse(const std::string& script) {
        std::string error;
        std::unique_ptr<Contour> contour = ParseContourScript(script, &error);
        if (!contour) throw std::runtime_error("bad contour script: " + error);
        return contour;
    }

private:
    static std::string Trim(const std::string& s) {
        const std::size_t b = s.find_first_not_of(' ');
        const std::size_t e = s.find_last_not_of(' ');
        return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
    }

    CSPID& spid_;
    CPLAN& plan_;
};

// A stand-in kind for the skeleton: the common opening, a rapid approach to
// the working contour's start, one cutting frame per unit of the first
// region, then the common closing.
class ProbeTurn : public CTurn {
public:
    ProbeTurn() { sNameTurn = "Проба"; typeKey = "Turning"; }
    bool CreateContourPath() override {
        if (!CTurn::CreateContourPath()) return false;
        const Contour& region = *regionList.front();
        double x = 0, z = 0;
        region.GetStartPoint(x, z);
        AddLineFrame(ModalState.position[0], ModalState.position[2], x, z, -1.0, true);
        for (int i = 0; i < region.Count(); ++i) AddUnitFrame(*region.GetUnit(i), false);
        FinishContourPath();
        return true;
    }
};

}  // namespace zarvento::test
