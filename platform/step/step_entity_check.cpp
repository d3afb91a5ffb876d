// StepEntityCheck: the entities the solids' shapes depend on, walked from the
// product structure and the shape representations, each checked once; a loop
// among them is found on the way.
#include "platform/step/step_entity_check.h"

#include <Interface_Check.hxx>
#include <Interface_EntityIterator.hxx>
#include <Interface_GeneralLib.hxx>
#include <Interface_GeneralModule.hxx>
#include <Interface_Protocol.hxx>
#include <Standard_Failure.hxx>
#include <StepData_Protocol.hxx>
#include <StepData_ReadWriteModule.hxx>
#include <StepData_UndefinedEntity.hxx>
#include <StepData_WriterLib.hxx>
#include <StepRepr_AssemblyComponentUsage.hxx>
#include <StepRepr_Representation.hxx>
#include <StepRepr_RepresentationRelationship.hxx>
#include <StepRepr_ShapeRepresentationRelationship.hxx>
#include <StepShape_ContextDependentShapeRepresentation.hxx>
#include <StepShape_ShapeDefinitionRepresentation.hxx>
#include <StepShape_ShapeRepresentation.hxx>
#include <StepShape_SolidModel.hxx>
#include <TColStd_SequenceOfAsciiString.hxx>
#include <TCollection_HAsciiString.hxx>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <unordered_map>
#include <unordered_set>

#include "platform/core/host_error.h"

namespace zarvento {

namespace {

// What the shapes are translated from: the product structure (the
// definitions of the parts' shapes and of the components' placements), the
// shape representations and the relationships between them, and the solids.
// A relationship counts when it relates shape representations (one between
// a drawing's presentation and a shape does not).
bool IsShapeRoot(const Handle(Standard_Transient) & entity) {
    if (const auto relation = Handle(StepRepr_RepresentationRelationship)::DownCast(entity); !relation.IsNull()) {
        if (entity->IsKind(STANDARD_TYPE(StepRepr_ShapeRepresentationRelationship))) return true;
        const auto shape = [](const Handle(StepRepr_Representation) & r) {
            return !r.IsNull() && r->IsKind(STANDARD_TYPE(StepShape_ShapeRepresentation));
        };
        return shape(relation->Rep1()) && shape(relation->Rep2());
    }
    return entity->IsKind(STANDARD_TYPE(StepShape_ShapeDefinitionRepresentation)) ||
           entity->IsKind(STANDARD_TYPE(StepShape_ContextDependentShapeRepresentation)) ||
           entity->IsKind(STANDARD_TYPE(StepRepr_AssemblyComponentUsage)) ||
           entity->IsKind(STANDARD_TYPE(StepShape_ShapeRepresentation)) ||
           entity->IsKind(STANDARD_TYPE(StepShape_SolidModel));
}

// The entity's text in the file: from its label to the ';' that ends it,
// outside quoted strings. Empty when the label is not found.
std::string EntityText(const std::string& file, int label) {
    const std::string mark = "#" + std::to_string(label);
    for (std::size_t at = file.find(mark); at != std::string::npos; at = file.find(mark, at + 1)) {
        // The label starts an entity: nothing but blanks before it on its
        // line or since the last ';', and '=' after it.
        std::size_t before = at;
        while (before > 0 && (file[before - 1] == ' ' || file[before - 1] == '\t')) --before;
        if (before > 0 && file[before - 1] != '\n' && file[before - 1] != '\r' && file[before - 1] != ';') continue;
        std::size_t after = at + mark.size();
        if (after < file.size() && std::isdigit(static_cast<unsigned char>(file[after]))) continue;
        while (after < file.size() && std::isspace(static_cast<unsigned char>(file[after]))) ++after;
        if (after >= file.size() || file[after] != '=') continue;
        bool quoted = false;
        for (std::size_t k = after; k < file.size(); ++k) {
            if (file[k] == '\'') quoted = !quoted;
            if (!quoted && file[k] == ';') return file.substr(at, k + 1 - at);
        }
        return file.substr(at);
    }
    return {};
}

// The labels an entity's text refers to, in order, each once (its own label
// left out).
std::vector<int> ReferencesIn(const std::string& text) {
    std::vector<int> refs;
    bool quoted = false;
    const std::size_t start = text.find('=');
    for (std::size_t k = start == std::string::npos ? 0 : start; k < text.size(); ++k) {
        if (text[k] == '\'') quoted = !quoted;
        if (quoted || text[k] != '#') continue;
        std::size_t e = k + 1;
        long long n = 0;
        while (e < text.size() && std::isdigit(static_cast<unsigned char>(text[e])) && n < (1LL << 40))
            n = n * 10 + (text[e++] - '0');
        if (e == k + 1 || n > (1LL << 31) - 1) continue;
        if (std::find(refs.begin(), refs.end(), static_cast<int>(n)) == refs.end()) refs.push_back(static_cast<int>(n));
        k = e - 1;
    }
    return refs;
}

// The entities of the model, by number (from 1): their labels, their types
// as the file writes them, the entities they refer to.
class ModelEntities {
public:
    explicit ModelEntities(const Handle(StepData_StepModel) & model)
        : model_(model), general_(model->Protocol()), writer_(Handle(StepData_Protocol)::DownCast(model->Protocol())) {}

    int Count() const { return model_->NbEntities(); }
    const Handle(Standard_Transient) & Value(int i) const { return model_->Value(i); }
    bool Failed(int i) const {
        const Handle(Interface_Check)& check = model_->Check(i, true);
        return !check.IsNull() && check->HasFailed();
    }
    int LabelOf(int i) const { return model_->IdentLabel(model_->Value(i)); }
    std::string Label(int i) const { return "#" + std::to_string(LabelOf(i)); }

    // The type as the file writes it ("ORIENTED_EDGE"), the text of an entity
    // of a type the reader does not know included.
    std::string Type(int i) const {
        const Handle(Standard_Transient)& entity = model_->Value(i);
        if (const auto undefined = Handle(StepData_UndefinedEntity)::DownCast(entity); !undefined.IsNull())
            return undefined->StepType();
        Handle(StepData_ReadWriteModule) module;
        Standard_Integer kind = 0;
        if (writer_.Select(entity, module, kind)) {
            if (!module->IsComplex(kind)) return module->StepType(kind).ToCString();
            TColStd_SequenceOfAsciiString types;
            if (module->ComplexType(kind, types)) {
                std::string joined;
                for (int k = 1; k <= types.Length(); ++k)
                    joined += (k > 1 ? " " : "") + std::string(types(k).ToCString());
                return joined;
            }
        }
        return entity->DynamicType()->Name();
    }

    bool IsUnknownType(int i) const { return !Handle(StepData_UndefinedEntity)::DownCast(model_->Value(i)).IsNull(); }

    // The entities it refers to, by number; a list within its parameters
    // gives those it holds.
    void Shared(int i, std::vector<int>& out) const {
        out.clear();
        const Handle(Standard_Transient)& entity = model_->Value(i);
        Interface_EntityIterator shared;
        Handle(Interface_GeneralModule) module;
        Standard_Integer kind = 0;
        if (const auto undefined = Handle(StepData_UndefinedEntity)::DownCast(entity); !undefined.IsNull())
            undefined->FillShared(shared);
        else if (general_.Select(entity, module, kind))
            module->FillShared(model_, kind, entity, shared);
        for (shared.Start(); shared.More(); shared.Next()) Add(shared.Value(), out, 0);
    }

    // The entity's number from its label; 0 for a label the file does not hold.
    int NumberOfLabel(int label) const {
        if (byLabel_.empty())
            for (int i = 1; i <= Count(); ++i) byLabel_.emplace(LabelOf(i), i);
        const auto found = byLabel_.find(label);
        return found == byLabel_.end() ? 0 : found->second;
    }

private:
    void Add(const Handle(Standard_Transient) & entity, std::vector<int>& out, int depth) const {
        if (entity.IsNull()) return;
        if (const int n = model_->Number(entity); n > 0) return out.push_back(n);
        // A list within an entity's parameters, read as an entity of no number.
        constexpr int kListDepth = 32;
        const auto list = Handle(StepData_UndefinedEntity)::DownCast(entity);
        if (list.IsNull() || depth > kListDepth) return;
        Interface_EntityIterator inner;
        list->FillShared(inner);
        for (inner.Start(); inner.More(); inner.Next()) Add(inner.Value(), out, depth + 1);
    }

    const Handle(StepData_StepModel) & model_;
    Interface_GeneralLib general_;
    StepData_WriterLib writer_;
    mutable std::unordered_map<int, int> byLabel_;
};

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// What an entity that cannot be read says: the reader's complaints, then the
// entities its text refers to that the file does not hold or whose type the
// reader does not know.
std::string WhyUnread(const ModelEntities& entities, const Handle(StepData_StepModel) & model, int i,
                      const std::string& file) {
    std::string why;
    const Handle(Interface_Check)& check = model->Check(i, true);
    for (int k = 1; k <= check->NbFails(); ++k) why += std::string(k > 1 ? "; " : "") + check->CFail(k);
    std::vector<std::string> missing, unknown;
    for (int label : ReferencesIn(EntityText(file, entities.LabelOf(i)))) {
        const int n = entities.NumberOfLabel(label);
        if (n == 0)
            missing.push_back("#" + std::to_string(label));
        else if (n != i && entities.IsUnknownType(n))
            unknown.push_back("#" + std::to_string(label) + " of the unknown type " + entities.Type(n));
    }
    const auto list = [](const std::vector<std::string>& items) {
        std::string text;
        for (std::size_t k = 0; k < items.size(); ++k)
            text += (k == 0 ? "" : k + 1 == items.size() ? " and " : ", ") + items[k];
        return text;
    };
    if (!missing.empty()) why += "; it refers to " + list(missing) + ", which the file does not hold";
    if (!unknown.empty()) why += "; it refers to " + list(unknown);
    return why;
}

// The walk from the shape roots: each entity's state, and the path of the
// walk as entities and the next of their references to follow.
constexpr unsigned char kUnseen = 0, kOnPath = 1, kDone = 2;

}  // namespace

StepEntityCheck::StepEntityCheck(const Handle(StepData_StepModel) & model, const std::string& path,
                                 const std::string& cannot)
    : model_(model), path_(path), cannot_(cannot) {}

int StepEntityCheck::SolidCount() const {
    int solids = 0;
    for (int i = 1; i <= model_->NbEntities(); ++i)
        if (model_->Value(i)->IsKind(STANDARD_TYPE(StepShape_SolidModel))) ++solids;
    return solids;
}

// One walk over the entities the shapes depend on finds both the loops and
// the entities that cannot be read; what is left unread after it makes the
// notes.
std::vector<std::string> StepEntityCheck::Run() {
    const std::string damaged = cannot_ + "the STEP file is damaged";
    if (model_.IsNull()) throw HostError(STG_E_DOCFILECORRUPT_, damaged);
    const ModelEntities entities(model_);
    const int n = entities.Count();
    std::vector<unsigned char> state(static_cast<std::size_t>(n) + 1, kUnseen);
    std::vector<bool> failed(static_cast<std::size_t>(n) + 1, false);
    for (int i = 1; i <= n; ++i) failed[static_cast<std::size_t>(i)] = entities.Failed(i);
    std::string file;  // read when a refusal needs an entity's text
    int firstFailed = 0;
    // The walk, without recursion: a file may nest as deep as it likes.
    struct Step {
        int entity;
        std::vector<int> shared;
        std::size_t next = 0;
    };
    std::vector<Step> path;
    for (int root = 1; root <= n; ++root) {
        if (state[static_cast<std::size_t>(root)] != kUnseen || !IsShapeRoot(entities.Value(root))) continue;
        path.push_back({root, {}});
        state[static_cast<std::size_t>(root)] = kOnPath;
        if (failed[static_cast<std::size_t>(root)])
            firstFailed = firstFailed == 0 ? root : std::min(firstFailed, root);
        else
            entities.Shared(root, path.back().shared);
        while (!path.empty()) {
            Step& top = path.back();
            if (top.next == top.shared.size()) {
                state[static_cast<std::size_t>(top.entity)] = kDone;
                path.pop_back();
                continue;
            }
            const int next = top.shared[top.next++];
            const auto at = static_cast<std::size_t>(next);
            if (state[at] == kOnPath) {
                // A loop: the entity refers, through those on the path after
                // it, back to itself.
                auto from = std::find_if(path.begin(), path.end(), [&](const Step& s) { return s.entity == next; });
                std::string through;
                for (auto k = std::next(from); k != path.end(); ++k)
                    through += (through.empty() ? "" : ", ") + entities.Label(k->entity);
                throw HostError(STG_E_DOCFILECORRUPT_, damaged + ": entity " + entities.Label(next) + " (" +
                                                           entities.Type(next) + ") refers back to itself" +
                                                           (through.empty() ? "" : " through " + through));
            }
            if (state[at] == kDone) continue;
            state[at] = kOnPath;
            if (failed[at]) {
                if (firstFailed == 0 || next < firstFailed) firstFailed = next;
                state[at] = kDone;
                continue;
            }
            path.push_back({next, {}});
            entities.Shared(next, path.back().shared);
        }
    }
    if (firstFailed != 0) {
        file = ReadWholeFile(path_);
        throw HostError(STG_E_DOCFILECORRUPT_,
                        damaged + ": entity " + entities.Label(firstFailed) + " (" + entities.Type(firstFailed) +
                            ") cannot be read: " + WhyUnread(entities, model_, firstFailed, file));
    }
    const Handle(Interface_Check)& global = model_->GlobalCheck();
    if (!global.IsNull() && global->HasFailed())
        throw HostError(STG_E_DOCFILECORRUPT_, damaged + ": " + global->CFail(1));
    // The entities left unread are none of the shapes': skipped, each noted.
    std::vector<std::string> notes;
    std::size_t skipped = 0;
    for (int i = 1; i <= n; ++i) {
        if (!failed[static_cast<std::size_t>(i)]) continue;
        if (++skipped > kNamedNotes) continue;
        if (file.empty()) file = ReadWholeFile(path_);
        notes.push_back("entity " + entities.Label(i) + " (" + entities.Type(i) +
                        ") cannot be read and is skipped; the solids' shapes do not use it: " +
                        WhyUnread(entities, model_, i, file));
    }
    if (skipped > kNamedNotes)
        notes.push_back(std::to_string(skipped - kNamedNotes) + " more entities that cannot be read are skipped");
    return notes;
}

}  // namespace zarvento
