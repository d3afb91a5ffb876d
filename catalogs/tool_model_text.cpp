// ToolModelText: reading the text form of a model and rebuilding the model.
#include "catalogs/tool_model_text.h"

#include <filesystem>
#include <map>
#include <system_error>
#include <vector>

#include "nc/parameters.h"
#include "platform/file_identity.h"
#include "platform/host_error.h"
#include "platform/host_sketch.h"
#include "platform/host_variable.h"
#include "platform/line_reader.h"
#include "platform/stored_path.h"
#include "platform/text_file.h"
#include "platform/variant.h"

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

void DrawSketchSource(HostSketch& sketch, ModelVariables& vars) {
    Document2D& objects = sketch.Objects();
    objects.Clear();
    for (const std::string& line : SplitLines(sketch.Source())) {
        Words w;
        if (Trimmed(line).empty() || !SplitWords(line, w)) continue;
        DrawSketchStatement(w, vars, objects);
    }
}

}  // namespace

HostDocumentPtr ToolModelText::Parse(std::string_view text, const std::string& origin) {
    Install();
    auto model = std::make_shared<HostDocument>(DocumentType::Part);
    const auto lines = SplitLines(text);
    std::size_t n = 0;
    auto fail = [&](const std::string& what) -> HostError {
        return HostError(E_INVALIDARG_, origin + ":" + std::to_string(n) + ": " + what);
    };

    bool headerSeen = false;
    std::shared_ptr<HostSketch> sketch;  // open sketch, until "end"
    std::string sketchSource;
    ModelVariables check(*model);  // validates sketch formulas as they come
    for (const std::string& raw : lines) {
        ++n;
        std::string_view line = Trimmed(raw);
        if (n == 1 && HasUtf8Bom(line)) line.remove_prefix(kUtf8Bom.size());
        if (line.empty() || line.front() == '#') continue;
        if (!headerSeen) {
            if (line != kHeader) throw fail(std::string("the model must start with \"") + kHeader + "\"");
            headerSeen = true;
            continue;
        }
        Words w;
        if (!SplitWords(line, w)) throw fail("a note is not closed with '\"'");
        if (w.items.empty()) throw fail("a statement has no keyword");
        const std::string& key = w.items[0];
        if (sketch) {
            if (key == "end" && w.items.size() == 1) {
                sketch->SetSource(std::move(sketchSource));
                sketchSource.clear();
                sketch.reset();
                continue;
            }
            Document2D scratch;
            if (!DrawSketchStatement(w, check, scratch))
                throw fail(
                    "expected \"line x1 y1 x2 y2\", \"arc xc yc radius x1 y1 x2 y2 direction\" or \"end\","
                    " with numbers or formulas of the variables above");
            sketchSource.append(line).push_back('\n');
            continue;
        }
        if (key == "variable") {
            double value = 0;
            if (w.items.size() != 3 || !ParseDouble(w.items[2], value))
                throw fail("expected \"variable <name> <value> [\\\"note\\\"] [= equation]\"");
            if (!IsPlausibleValue(value))
                throw fail("the value " + w.items[2] + " of " + w.items[1] + " is out of range (at most " +
                           std::to_string(static_cast<long long>(kMaxPlausibleValue)) + " either way)");
            if (w.hasEquation && w.equation.empty()) throw fail("the equation after '=' is empty");
            auto var = model->AddVariable(w.items[1], value, w.note);
            var->SetEquation(w.equation);
            check.Set(w.items[1], value);
        } else if (key == "sketch") {
            if (w.items.size() != 2) throw fail("expected \"sketch <name>\"");
            sketch = model->AddSketch(w.items[1]);
        } else {
            throw fail("unknown statement \"" + key + "\"");
        }
    }
    if (!headerSeen) throw HostError(E_INVALIDARG_, origin + ": the model text is empty");
    if (sketch) throw HostError(E_INVALIDARG_, origin + ": sketch \"" + sketch->Name() + "\" has no \"end\"");
    Rebuild(*model);
    return model;
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
    for (const auto& v : model.Variables()) {
        if (v->Equation().empty()) continue;
        double value = v->Value();
        if (vars.Evaluate(v->Equation(), value)) {
            v->SetValue(value);
            vars.Set(v->Name(), value);
        }
    }
    for (const auto& e : model.Entities())
        if (auto sketch = std::dynamic_pointer_cast<HostSketch>(e); sketch && !sketch->Source().empty())
            DrawSketchSource(*sketch, vars);
}

void ToolModelText::Install() {
    SetDocumentRebuildHandler([](HostDocument& doc) {
        if (doc.Type() == DocumentType::Part || doc.Type() == DocumentType::Assembly) Rebuild(doc);
    });
}

}  // namespace zarvento
