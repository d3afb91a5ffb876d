// The headless runner of the operation suites and benchmarks: a plan fixture
// (part and working contours as unit scripts, bar stock, turret tools, the
// description's VERSION, operations with their fields) is recalculated as the
// plan does it, and every operation's frames come back as one line each
// (frame kind, then its built-in NC text) after the operation's message.
// Header-only so that benchmarks include it as they are.
#pragma once

#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
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
#include "platform/core/variant.h"
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

// A stand-in kind for the skeleton: the common opening, a rapid approach to
// the working contour's start, one cutting frame per unit of the first
// region, then the common closing.
class ProbeTurn : public CTurn {
public:
    ProbeTurn() {
        sNameTurn = "Проба";
        typeKey = "Turning";
    }
    bool CreateContourPath() override {
        if (!CTurn::CreateContourPath()) return false;
        const Contour& region = *calc.regionList.front();
        double x = 0, z = 0;
        region.GetStartPoint(x, z);
        AddLineFrame(ModalState.position[0], ModalState.position[2], x, z, -1.0, true);
        for (int i = 0; i < region.Count(); ++i) AddUnitFrame(*region.GetUnit(i), false);
        FinishContourPath();
        return true;
    }
};

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

    // Reads a plan fixture, one statement a line ("#" starts a comment):
    //   bar <length> <outer diameter> <inner diameter> <z>
    //   inner <z> <x>
    //   tool <position> <corner radius> <M34> <name ...>
    //   version <text>            (nothing after it: no VERSION)
    //   stops on|off              (tool-life stops)
    //   operation <kind>          (0: the probe kind of the skeleton)
    //   set <field> <value>       (a field of the last operation)
    //   work ... end              (the last operation's working contour, unit scripts)
    // Throws std::runtime_error naming the line of the first bad statement.
    OperationRunner& Load(std::istream& in) {
        std::string line;
        int number = 0;
        CTurn* op = nullptr;
        auto fail = [&number](const std::string& what) {
            throw std::runtime_error("plan fixture line " + std::to_string(number) + ": " + what);
        };
        auto real = [&fail](const std::string& word) {
            double v = 0;
            if (!ParseDouble(word, v)) fail("not a number: " + word);
            return v;
        };
        while (std::getline(in, line)) {
            ++number;
            std::istringstream words(line);
            std::string key;
            if (!(words >> key) || key[0] == '#') continue;
            std::vector<std::string> args;
            for (std::string w; words >> w;) args.push_back(w);
            auto need = [&](std::size_t n) {
                if (args.size() < n) fail(key + " needs " + std::to_string(n) + " values");
            };
            if (key == "bar") {
                need(4);
                Bar(real(args[0]), real(args[1]), real(args[2]), real(args[3]));
            } else if (key == "inner") {
                need(2);
                InnerPoint(real(args[0]), real(args[1]));
            } else if (key == "tool") {
                need(4);
                std::string name = args[3];
                for (std::size_t k = 4; k < args.size(); ++k) name += " " + args[k];
                const int position = static_cast<int>(real(args[0]));
                if (!spid_.GetTool(position)) fail("no turret position " + args[0]);
                Tool(position, name, real(args[1]), static_cast<int>(real(args[2])));
            } else if (key == "version") {
                Version(args.empty() ? std::string() : args[0]);
            } else if (key == "stops") {
                need(1);
                ToolLifeStops(args[0] == "on");
            } else if (key == "operation") {
                need(1);
                const int kind = static_cast<int>(real(args[0]));
                op = kind == 0 ? &Add(std::make_unique<ProbeTurn>(), "") : &AddKind(kind, "");
            } else if (key == "set") {
                need(2);
                if (!op) fail("set before any operation");
                if (!SetField(*op, args[0], args[1])) fail("no field " + args[0] + " = " + args[1]);
            } else if (key == "work") {
                if (!op) fail("work before any operation");
                std::string script;
                while (std::getline(in, line) && line != "end") {
                    ++number;
                    script += line + "\n";
                }
                ++number;
                op->tableWorkContour = Parse(script);
            } else {
                fail("unknown statement " + key);
            }
        }
        return *this;
    }
    OperationRunner& LoadFile(const std::string& path) {
        std::ifstream in(path);
        if (!in) throw std::runtime_error("cannot read " + path);
        return Load(in);
    }

    // A field of an operation by its name; false for an unknown name or value.
    static bool SetField(CTurn& op, const std::string& name, const std::string& value) {
        const std::map<std::string, double CTurn::*> reals = {
            {"Spod", &CTurn::Spod},          {"Nshp", &CTurn::Nshp},       {"Vconst", &CTurn::Vconst},
            {"Nmin", &CTurn::Nmin},          {"Nmax", &CTurn::Nmax},       {"TT", &CTurn::TT},
            {"Vrezanie", &CTurn::Vrezanie},  {"Perebeg", &CTurn::Perebeg}, {"CorrectLz", &CTurn::CorrectLz},
            {"CorrectLx", &CTurn::CorrectLx}};
        const std::map<std::string, std::int32_t CTurn::*> ints = {{"nToolPosition", &CTurn::nToolPosition},
                                                                   {"DirRcorrect", &CTurn::DirRcorrect},
                                                                   {"indCycle", &CTurn::indCycle},
                                                                   {"indCycleElementar", &CTurn::indCycleElementar}};
        const std::map<std::string, bool CTurn::*> flags = {
            {"isVconst", &CTurn::isVconst},     {"isCheckCooler", &CTurn::isCheckCooler},
            {"isM01end", &CTurn::isM01end},     {"isM04", &CTurn::isM04},
            {"isAutoM34", &CTurn::isAutoM34},   {"isExclude", &CTurn::isExclude},
            {"isAutoTool", &CTurn::isAutoTool}, {"isCorrectRadius", &CTurn::isCorrectRadius}};
        double v = 0;
        if (name == "sNameTurn") {
            op.sNameTurn = value;
            return true;
        }
        if (!ParseDouble(value, v)) return false;
        if (auto r = reals.find(name); r != reals.end()) {
            op.*(r->second) = v;
        } else if (auto i = ints.find(name); i != ints.end()) {
            op.*(i->second) = static_cast<std::int32_t>(v);
        } else if (auto f = flags.find(name); f != flags.end()) {
            op.*(f->second) = v != 0;
        } else if (name == "indShema") {
            op.indShema = static_cast<std::int32_t>(v);
        } else {
            return false;
        }
        return true;
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

}  // namespace zarvento::test
