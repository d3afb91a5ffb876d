// ToolModelText: reading the text form of a model and rebuilding the model.
#include "catalogs/tool_model_text.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <map>
#include <system_error>
#include <vector>

#include "nc/parameters.h"
#include "platform/core/file_identity.h"
#include "platform/core/host_error.h"
#include "platform/core/host_variable.h"
#include "platform/core/line_reader.h"
#include "platform/core/numbers.h"
#include "platform/core/stored_path.h"
#include "platform/core/text_file.h"
#include "platform/core/variant.h"
#include "platform/documents/host_size_table.h"
#include "platform/drawings/host_sketch.h"
#include "platform/part_model.h"
#include "platform/part_shape.h"

namespace zarvento {

namespace {

// The model's variables as a provider of formulas.
class ModelVariables : public PARAMETERS {
public:
    explicit ModelVariables(const HostDocument& model) {
        for (const auto& v : model.Variables()) values_.emplace(v->Name(), v->Value());
    }
    const double* GetParameter(std::string_view name) override {
        auto it = values_.find(std::string(name));
        return it == values_.end() ? nullptr : &it->second;
    }
    void Set(const std::string& name, double value) { values_[name] = value; }
    // A number, or a formula over the variables; false when neither.
    // A value beyond what a tool measures counts as neither.
    bool Evaluate(std::string_view text, double& out) {
        double result = 0;
        if (!ParseDouble(text, result) && !CalcFormula(result, text, true)) return false;
        if (!IsPlausibleValue(result)) return false;
        out = result;
        return true;
    }

private:
    std::map<std::string, double, std::less<>> values_;
};

struct Words {
    std::vector<std::string> items;
    // The note, when one was written in quotes (it may be empty).
    bool hasNote = false;
    std::string note;
    // The text after a free-standing "=".
    bool hasEquation = false;
    std::string equation;
};

// The names an equation reads: its words that are not numbers and are not
// followed by "(" (a function). Dots belong to a name, so "MODEL.x" is not x.
std::vector<std::string_view> NamesIn(std::string_view equation) {
    std::vector<std::string_view> names;
    auto wordChar = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' ||
               static_cast<unsigned char>(c) >= 0x80;
    };
    std::size_t i = 0;
    while (i < equation.size()) {
        if (!wordChar(equation[i])) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < equation.size() && wordChar(equation[j])) ++j;
        const std::string_view word = equation.substr(i, j - i);
        std::size_t k = j;
        while (k < equation.size() && (equation[k] == ' ' || equation[k] == '\t')) ++k;
        const bool call = k < equation.size() && equation[k] == '(';
        if (!call && !std::isdigit(static_cast<unsigned char>(word.front())) && word.front() != '.')
            names.push_back(word);
        i = j;
    }
    return names;
}

// A chain of variables whose equations read each other round to the first
// (a variable whose equation reads itself is a chain of one), or an empty
// list when the equations can be worked out in some order.
std::vector<std::string> EquationCycle(const HostDocument& model) {
    std::map<std::string, std::vector<std::string>, std::less<>> reads;
    for (const auto& v : model.Variables())
        if (!v->Equation().empty()) reads[v->Name()];
    for (const auto& v : model.Variables()) {
        if (v->Equation().empty()) continue;
        std::vector<std::string>& edges = reads[v->Name()];
        for (std::string_view name : NamesIn(v->Equation()))
            if (reads.count(name) && std::find(edges.begin(), edges.end(), name) == edges.end())
                edges.emplace_back(name);
    }
    // Depth-first, iteratively: 0 not seen, 1 on the current chain, 2 done.
    std::map<std::string_view, int> state;
    for (const auto& [start, unused] : reads) {
        if (state[start] != 0) continue;
        std::vector<std::pair<std::string_view, std::size_t>> chain{{start, 0}};
        state[start] = 1;
        while (!chain.empty()) {
            auto& [name, next] = chain.back();
            const std::vector<std::string>& edges = reads.find(name)->second;
            if (next == edges.size()) {
                state[name] = 2;
                chain.pop_back();
                continue;
            }
            const std::string_view to = edges[next++];
            if (state[to] == 1) {
                std::vector<std::string> cycle;
                auto from = std::find_if(chain.begin(), chain.end(), [&](const auto& c) { return c.first == to; });
                for (; from != chain.end(); ++from) cycle.emplace_back(from->first);
                cycle.emplace_back(to);
                return cycle;
            }
            if (state[to] == 0) {
                state[to] = 1;
                chain.emplace_back(to, 0);
            }
        }
    }
    return {};
}

// Splits a statement into words; false when a quote is not closed.
bool SplitWords(std::string_view line, Words& out) {
    std::size_t i = 0;
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (i < line.size()) {
        while (i < line.size() && blank(line[i])) ++i;
        if (i >= line.size()) break;
        if (line[i] == '"') {
            const auto close = line.find('"', i + 1);
            if (close == std::string_view::npos) return false;
            out.hasNote = true;
            out.note.assign(line.substr(i + 1, close - i - 1));
            i = close + 1;
            continue;
        }
        std::size_t j = i;
        while (j < line.size() && !blank(line[j])) ++j;
        std::string_view word = line.substr(i, j - i);
        if (word == "=") {
            out.hasEquation = true;
            std::string_view rest = line.substr(j);
            while (!rest.empty() && blank(rest.front())) rest.remove_prefix(1);
            while (!rest.empty() && blank(rest.back())) rest.remove_suffix(1);
            out.equation.assign(rest);
            return true;
        }
        out.items.emplace_back(word);
        i = j;
    }
    return true;
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// Draws one "line" or "arc" statement into the sketch's objects; false when
// the statement is malformed or a coordinate does not evaluate.
bool DrawSketchStatement(const Words& w, ModelVariables& vars, Document2D& objects) {
    if (w.items.empty()) return false;
    const std::string& kind = w.items[0];
    const std::size_t wanted = kind == "line" ? 5 : kind == "arc" ? 9 : 0;
    if (wanted == 0 || w.items.size() != wanted || w.hasNote || w.hasEquation) return false;
    double v[8] = {};
    for (std::size_t k = 1; k < wanted; ++k)
        if (!vars.Evaluate(w.items[k], v[k - 1])) return false;
    if (kind == "line") {
        objects.LineSeg(v[0], v[1], v[2], v[3], 1);
        return true;
    }
    const int direction = v[7] < 0 ? -1 : 1;
    if (!(v[2] > 0)) return false;
    objects.ArcByPoint(v[0], v[1], v[2], v[3], v[4], v[5], v[6], direction, 1);
    return true;
}

constexpr const char* kBodySource = "Body";
// The radius of the arcs that close a flat outline in the host's views:
// drawn in sketches, no edge of a body.
constexpr double kClosingArcRadius = 10000.0;

// The pieces of a sketch as a profile in its (x, y) plane.
bool SketchProfile(const HostDocument& model, const std::string& name, std::vector<MeridianPiece>& out,
                   std::string& error) {
    auto sketch = model.FindSketch(name);
    if (!sketch) {
        error = "there is no sketch \"" + name + "\"";
        return false;
    }
    for (const Object2D& o : sketch->Objects().Objects()) {
        if (o.type == kObj2DLine) {
            const LineParam2D& l = o.line;
            if (std::hypot(l.x2 - l.x1, l.y2 - l.y1) > 1e-9)
                out.push_back(MeridianPiece::Segment(l.x1, l.y1, l.x2, l.y2));
        } else if (o.type == kObj2DArc) {
            const ArcParam2D& a = o.arc;
            if (std::fabs(a.rad - kClosingArcRadius) < 1e-6) continue;
            const double a1 = std::atan2(a.y1 - a.yc, a.x1 - a.xc), a2 = std::atan2(a.y2 - a.yc, a.x2 - a.xc);
            double sweep = a.direction > 0 ? a2 - a1 : a1 - a2;
            while (sweep <= 1e-12) sweep += 2 * PI;
            if (std::hypot(a.x2 - a.x1, a.y2 - a.y1) < 1e-9) {
                error = "sketch \"" + name + "\" has a whole circle, which bounds no chain";
                return false;
            }
            const double mid = a1 + (a.direction > 0 ? sweep / 2 : -sweep / 2);
            out.push_back(
                MeridianPiece::Arc(a.x1, a.y1, a.xc + a.rad * std::cos(mid), a.yc + a.rad * std::sin(mid), a.x2, a.y2));
        }
    }
    if (out.empty()) {
        error = "sketch \"" + name + "\" is empty";
        return false;
    }
    return true;
}

// One body statement: "[when <formula>] [turned <degrees>] [tilted <degrees>] [cut] extrude <sketch> <z1> <z2>",
// "... box <x1> <y1> <z1> <x2> <y2> <z2>", "... cylinder <x> <y> <z> <dx> <dy>
// <dz> <radius> <height>" or "... revolve <sketch>" (about the X axis, the
// sketch's y being the radius, its pieces drawn in chain order). `skip` is
// set when the condition is not met; "turned" turns the shape about the
// model's X axis, then "tilted" about its Y axis; false with `error` for a statement
// that cannot be read or a shape that cannot be made.
bool BodyStatementShape(const Words& w, const HostDocument& model, ModelVariables& vars, bool& skip, bool& cut,
                        PartShape* shape, std::string& error) {
    std::size_t k = 0;
    skip = cut = false;
    const std::string usage =
        "expected \"[when <formula>] [turned <degrees>] [tilted <degrees>] [cut] extrude <sketch> <z1> <z2> | box <x1> "
        "<y1> <z1> <x2> "
        "<y2> <z2> | "
        "cylinder <x> <y> <z> <dx> <dy> <dz> <radius> <height> | revolve <sketch>\" or \"end\"";
    if (w.hasNote || w.hasEquation) {
        error = usage;
        return false;
    }
    if (k + 1 < w.items.size() && w.items[k] == "when") {
        double condition = 0;
        if (!vars.Evaluate(w.items[k + 1], condition)) {
            error = "the condition " + w.items[k + 1] + " does not evaluate";
            return false;
        }
        skip = !(condition > 0.5);
        k += 2;
    }
    double turn = 0;
    double tilt = 0;
    for (auto [word, angle] : {std::pair<const char*, double*>{"turned", &turn}, {"tilted", &tilt}}) {
        if (k + 1 < w.items.size() && w.items[k] == word) {
            if (!vars.Evaluate(w.items[k + 1], *angle)) {
                error = "the angle " + w.items[k + 1] + " does not evaluate";
                return false;
            }
            k += 2;
        }
    }
    if (k < w.items.size() && w.items[k] == "cut") {
        cut = true;
        ++k;
    }
    if (k >= w.items.size()) {
        error = usage;
        return false;
    }
    const std::string& kind = w.items[k++];
    const std::size_t args = w.items.size() - k;
    std::vector<double> v;
    auto numbers = [&](std::size_t from) {
        for (std::size_t i = from; i < w.items.size(); ++i) {
            double x = 0;
            if (!vars.Evaluate(w.items[i], x)) {
                error = "the value " + w.items[i] + " does not evaluate";
                return false;
            }
            v.push_back(x);
        }
        return true;
    };
    try {
        // Read for its form alone, a statement needs its sketch declared; the
        // sketch's pieces exist once the model is rebuilt.
        auto profileOf = [&](const std::string& name, std::vector<MeridianPiece>& profile) {
            if (shape) return SketchProfile(model, name, profile, error);
            if (model.FindSketch(name)) return true;
            error = "there is no sketch \"" + name + "\" above";
            return false;
        };
        if (kind == "extrude" && args == 3) {
            std::vector<MeridianPiece> profile;
            if (!numbers(k + 1) || !profileOf(w.items[k], profile)) return false;
            if (shape) *shape = PartShape::Extrude(profile, v[0], v[1]);
        } else if (kind == "revolve" && args == 1) {
            std::vector<MeridianPiece> profile;
            if (!profileOf(w.items[k], profile)) return false;
            RevolutionAxis axis;
            axis.direction = {1, 0, 0};
            axis.radial = {0, 1, 0};
            if (shape) *shape = PartShape::Revolve(profile, axis);
        } else if (kind == "box" && args == 6) {
            if (!numbers(k)) return false;
            if (shape)
                *shape = PartShape::Box({std::min(v[0], v[3]), std::min(v[1], v[4]), std::min(v[2], v[5])},
                                        {std::max(v[0], v[3]), std::max(v[1], v[4]), std::max(v[2], v[5])});
        } else if (kind == "cylinder" && args == 8) {
            if (!numbers(k)) return false;
            if (!(v[6] > 0) || !(v[7] > 0)) {
                error = "a cylinder needs a radius and a height above 0";
                return false;
            }
            if (shape) *shape = PartShape::Cylinder({v[0], v[1], v[2]}, {v[3], v[4], v[5]}, v[6], v[7]);
        } else {
            error = usage;
            return false;
        }
        if (shape && turn != 0) *shape = shape->Rotated({0, 0, 0}, {1, 0, 0}, turn);
        if (shape && tilt != 0) *shape = shape->Rotated({0, 0, 0}, {0, 1, 0}, tilt);
    } catch (const HostError& e) {
        error = e.what();
        return false;
    }
    return true;
}

bool CheckBodyStatement(const Words& w, const HostDocument& model, ModelVariables& vars, std::string& error) {
    bool skip = false, cut = false;
    return BodyStatementShape(w, model, vars, skip, cut, nullptr, error);
}

// Makes the part's body of the statements: the first solid, the next ones
// joined to it or cut from it. The body is set only when every statement
// holds; the error of the first that fails is returned ("" for none).
std::string BuildBody(HostDocument& model, const std::string& source) {
    ModelVariables vars(model);
    PartShape body;
    const auto lines = SplitLines(source);
    for (std::size_t n = 0; n < lines.size(); ++n) {
        Words w;
        if (Trimmed(lines[n]).empty()) continue;
        std::string error;
        bool skip = false, cut = false;
        PartShape piece;
        if (!SplitWords(lines[n], w) || !BodyStatementShape(w, model, vars, skip, cut, &piece, error))
            return "statement " + std::to_string(n + 1) + ": " + error;
        if (skip) continue;
        try {
            if (body.IsNull())
                body = cut ? PartShape() : piece;
            else
                body = cut ? body.Cut(piece) : body.Fuse(piece);
        } catch (const HostError& e) {
            return "statement " + std::to_string(n + 1) + ": " + e.what();
        }
    }
    auto self = std::static_pointer_cast<HostDocument>(model.shared_from_this());
    SetPartBody(*TopPart(self), body);
    return {};
}

// Shorter than this, a line of a sketch is a point.
constexpr double kMinLineLength = 1e-6;

// Whether the last object drawn is a line whose ends meet.
bool LastLineIsPoint(const Document2D& objects) {
    if (objects.Objects().empty() || objects.Objects().back().type != kObj2DLine) return false;
    const LineParam2D& l = objects.Objects().back().line;
    return std::hypot(l.x2 - l.x1, l.y2 - l.y1) < kMinLineLength;
}

// The model as it is read: its equations worked out in model order and its
// sketches drawn, as a rebuild does, but an equation that gives no finite
// value within range, and a sketch element that does not evaluate or
// collapses to a point, are refused by name instead of left as they were.
void RebuildAsRead(HostDocument& model, const std::string& origin) {
    ModelVariables vars(model);
    for (const auto& v : model.Variables()) {
        if (v->Equation().empty()) continue;
        double value = v->Value();
        if (!vars.Evaluate(v->Equation(), value))
            throw HostError(E_INVALIDARG_, origin + ": the equation of " + v->Name() + " (= " + v->Equation() +
                                               ") gives no value: it divides by zero, takes the root of a "
                                               "negative number, names no variable of the model or goes beyond " +
                                               std::to_string(static_cast<long long>(kMaxPlausibleValue)) +
                                               " either way");
        v->SetValue(value);
        vars.Set(v->Name(), value);
    }
    for (const auto& e : model.Entities()) {
        auto sketch = std::dynamic_pointer_cast<HostSketch>(e);
        if (!sketch || sketch->Source().empty()) continue;
        Document2D& objects = sketch->Objects();
        objects.Clear();
        for (const std::string& line : SplitLines(sketch->Source())) {
            Words w;
            if (Trimmed(line).empty() || !SplitWords(line, w)) continue;
            const std::string element = "sketch \"" + sketch->Name() + "\", \"" + std::string(Trimmed(line)) + "\"";
            if (!DrawSketchStatement(w, vars, objects))
                throw HostError(E_INVALIDARG_,
                                origin + ": " + element + " does not evaluate with the values the equations give");
            if (LastLineIsPoint(objects))
                throw HostError(E_INVALIDARG_,
                                origin + ": " + element + " is a line of no length with the values the equations give");
        }
    }
}

void DrawSketchSource(HostSketch& sketch, ModelVariables& vars) {
    Document2D& objects = sketch.Objects();
    objects.Clear();
    for (const std::string& line : SplitLines(sketch.Source())) {
        Words w;
        if (Trimmed(line).empty() || !SplitWords(line, w)) continue;
        DrawSketchStatement(w, vars, objects);
    }
}

// The model text read line by line: the header, then statements, each
// block (a sketch, a size table, the body) open until its "end".
class ModelTextParser {
public:
    explicit ModelTextParser(const std::string& origin)
        : origin_(origin), model_(std::make_shared<HostDocument>(DocumentType::Part)), check_(*model_) {}

    void ReadLine(const std::string& raw) {
        ++n_;
        std::string_view line = Trimmed(raw);
        if (n_ == 1 && HasUtf8Bom(line)) line.remove_prefix(kUtf8Bom.size());
        if (line.empty() || line.front() == '#') return;
        if (!headerSeen_) {
            if (line != ToolModelText::kHeader)
                throw Fail(std::string("the model must start with \"") + ToolModelText::kHeader + "\"");
            headerSeen_ = true;
            return;
        }
        Words w;
        if (!SplitWords(line, w)) throw Fail("a note is not closed with '\"'");
        if (w.items.empty()) throw Fail("a statement has no keyword");
        if (table_) return TableLine(w);
        if (inBody_) return BodyLine(w, line);
        if (sketch_) return SketchLine(w, line);
        Statement(w);
    }

    // The model once every line is read: every block closed, the equations
    // free of circles, the body made.
    HostDocumentPtr Finish() {
        if (!headerSeen_) throw HostError(E_INVALIDARG_, origin_ + ": the model text is empty");
        if (sketch_) throw HostError(E_INVALIDARG_, origin_ + ": sketch \"" + sketch_->Name() + "\" has no \"end\"");
        if (table_) throw HostError(E_INVALIDARG_, origin_ + ": the size table has no \"end\"");
        if (inBody_) throw HostError(E_INVALIDARG_, origin_ + ": the body has no \"end\"");
        if (const std::vector<std::string> cycle = EquationCycle(*model_); !cycle.empty()) {
            std::string chain;
            for (const std::string& name : cycle) chain += (chain.empty() ? "" : " -> ") + name;
            throw HostError(E_INVALIDARG_, origin_ + ": the equations of the variables go round in a circle (" + chain +
                                               "); none of them can be worked out");
        }
        RebuildAsRead(*model_, origin_);
        if (auto source = FindModelSource(*model_, kBodySource)) {
            const std::string error = BuildBody(*model_, source->Text());
            if (!error.empty()) throw HostError(E_INVALIDARG_, origin_ + ": the body cannot be made: " + error);
        }
        return model_;
    }

private:
    HostError Fail(const std::string& what) const {
        return HostError(E_INVALIDARG_, origin_ + ":" + std::to_string(n_) + ": " + what);
    }

    static bool IsEnd(const Words& w) { return w.items[0] == "end" && w.items.size() == 1; }

    void TableLine(const Words& w) {
        if (IsEnd(w) && !w.hasNote) {
            model_->AddEntity(table_);
            table_.reset();
            return;
        }
        HostSizeTable::Row row;
        row.name = w.note;
        bool numbers = w.items[0] == "row" && w.hasNote && !w.hasEquation &&
                       w.items.size() == static_cast<std::size_t>(table_->ColumnCount()) + 1;
        for (std::size_t k = 1; numbers && k < w.items.size(); ++k) {
            double v = 0;
            numbers = ParseDouble(w.items[k], v) && IsPlausibleValue(v);
            row.values.push_back(v);
        }
        if (!numbers)
            throw Fail("expected \"row \\\"designation\\\" <value>...\" with one number per column, or \"end\"");
        table_->AddRow(std::move(row));
    }

    void BodyLine(const Words& w, std::string_view line) {
        if (IsEnd(w)) {
            model_->AddEntity(std::make_shared<HostModelSource>(kBodySource, std::move(bodySource_)));
            bodySource_.clear();
            inBody_ = false;
            return;
        }
        std::string error;
        if (!CheckBodyStatement(w, *model_, check_, error)) throw Fail(error);
        bodySource_.append(line).push_back('\n');
    }

    void SketchLine(const Words& w, std::string_view line) {
        if (IsEnd(w)) {
            sketch_->SetSource(std::move(sketchSource_));
            sketchSource_.clear();
            sketch_.reset();
            return;
        }
        Document2D scratch;
        if (!DrawSketchStatement(w, check_, scratch))
            throw Fail(
                "expected \"line x1 y1 x2 y2\", \"arc xc yc radius x1 y1 x2 y2 direction\" or \"end\","
                " with numbers or formulas of the variables above");
        sketchSource_.append(line).push_back('\n');
    }

    // A statement outside the blocks: a variable, or the start of a block.
    void Statement(const Words& w) {
        const std::string& key = w.items[0];
        if (key == "variable") {
            double value = 0;
            if (w.items.size() != 3 || !ParseDouble(w.items[2], value))
                throw Fail("expected \"variable <name> <value> [\\\"note\\\"] [= equation]\"");
            if (!IsPlausibleValue(value))
                throw Fail("the value " + w.items[2] + " of " + w.items[1] + " is out of range (at most " +
                           std::to_string(static_cast<long long>(kMaxPlausibleValue)) + " either way)");
            if (w.hasEquation && w.equation.empty()) throw Fail("the equation after '=' is empty");
            auto var = model_->AddVariable(w.items[1], value, w.note);
            var->SetEquation(w.equation);
            check_.Set(w.items[1], value);
        } else if (key == "sketch") {
            if (w.items.size() != 2) throw Fail("expected \"sketch <name>\"");
            sketch_ = model_->AddSketch(w.items[1]);
        } else if (key == "table") {
            if (w.items.size() < 2 || w.hasNote || w.hasEquation || FindSizeTable(*model_))
                throw Fail("expected one \"table <variable>...\"");
            table_ = std::make_shared<HostSizeTable>();
            for (std::size_t k = 1; k < w.items.size(); ++k) {
                if (!model_->FindVariable(w.items[k]))
                    throw Fail("the size table's column " + w.items[k] + " is no variable above");
            }
            table_->SetColumns({w.items.begin() + 1, w.items.end()});
        } else if (key == "body") {
            if (w.items.size() != 1 || FindModelSource(*model_, kBodySource)) throw Fail("expected one \"body\"");
            inBody_ = true;
        } else {
            throw Fail("unknown statement \"" + key + "\"");
        }
    }

    const std::string& origin_;
    std::size_t n_ = 0;
    HostDocumentPtr model_;
    ModelVariables check_;  // validates sketch formulas as they come
    bool headerSeen_ = false;
    std::shared_ptr<HostSketch> sketch_;  // open sketch, until "end"
    std::string sketchSource_;
    std::shared_ptr<HostSizeTable> table_;  // open size table, until "end"
    bool inBody_ = false;                   // in the body's statements, until "end"
    std::string bodySource_;
};

}  // namespace

HostDocumentPtr ToolModelText::Parse(std::string_view text, const std::string& origin) {
    Install();
    ModelTextParser parser(origin);
    for (const std::string& raw : SplitLines(text)) parser.ReadLine(raw);
    return parser.Finish();
}

HostDocumentPtr ToolModelText::Read(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(StoredPathToPath(path), ec))
        throw HostError(STG_E_FILENOTFOUND_, "tool model text not found: " + path);
    // Models are a few dozen lines; a file far larger is not one.
    constexpr std::size_t kMaxModelBytes = 1 << 20;
    FileReadResult file = ReadTextFile(StoredPathToPath(path), TextEncoding::Utf8, kMaxModelBytes);
    if (!file.ok) throw HostError(STG_E_FILENOTFOUND_, "cannot read the tool model text " + path + ": " + file.error);
    if (file.truncated) throw HostError(E_INVALIDARG_, path + ": the file is too large for a tool model");
    return Parse(file.text, path);
}

void ToolModelText::Convert(const std::string& textPath, const std::string& documentPath) {
    // The document would take the place of the text it is made from.
    if (IsSameFile(StoredPathToPath(textPath), documentPath))
        throw HostError(E_INVALIDARG_,
                        "the tool model document " + documentPath + " would replace its own text " + textPath);
    Read(textPath)->SaveAs(documentPath);
}

void ToolModelText::Rebuild(HostDocument& model) {
    ModelVariables vars(model);
    // A model saved with equations that read each other round (no text
    // makes one) keeps the values it has: working them out once more would
    // only move them on.
    const bool circular = !EquationCycle(model).empty();
    for (const auto& v : model.Variables()) {
        if (v->Equation().empty() || circular) continue;
        double value = v->Value();
        if (vars.Evaluate(v->Equation(), value)) {
            v->SetValue(value);
            vars.Set(v->Name(), value);
        }
    }
    for (const auto& e : model.Entities())
        if (auto sketch = std::dynamic_pointer_cast<HostSketch>(e); sketch && !sketch->Source().empty())
            DrawSketchSource(*sketch, vars);
    // A body that cannot be made of the new values keeps its last shape, as
    // a rebuild that fails keeps the model it had.
    if (auto source = FindModelSource(model, kBodySource)) BuildBody(model, source->Text());
}

void ToolModelText::Install() {
    SetDocumentRebuildHandler([](HostDocument& doc) {
        if (doc.Type() == DocumentType::Part || doc.Type() == DocumentType::Assembly) Rebuild(doc);
    });
}

}  // namespace zarvento
