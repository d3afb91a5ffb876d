// The check of a STEP file's entities before they are translated into shapes.
//
// The translation follows the links of what it translates without a check:
// an entity the reader could not read leaves a null link there, and a loop of
// entities is followed without end. So every entity the solids' shapes
// depend on (what the product structure, the shape representations and their
// relationships reach: placements, geometry, topology, contexts and units) is
// checked first, and a file with one that cannot be read, or with a loop
// among them, is refused naming the entity. An entity that the shapes do not
// depend on (a colour, a style, a layer, an annotation) and that cannot be
// read is skipped: the refusal of a whole part for a colour a lathe never
// sees would be no help. Each one skipped gives a note.
#pragma once

#include <StepData_StepModel.hxx>

#include <string>
#include <vector>

namespace zarvento {

class StepEntityCheck {
public:
    // The model as the reader read it from the file at `path`; refusals are
    // named after `cannot` ("cannot import \"<path>\": ").
    StepEntityCheck(const Handle(StepData_StepModel) & model, const std::string& path, const std::string& cannot);

    // Checks the entities: HostError(STG_E_DOCFILECORRUPT) for an entity the
    // shapes depend on that cannot be read (naming it, its type, the reader's
    // complaint and what it refers to that is missing or of an unknown type)
    // or that refers back to itself; else the notes of the entities skipped.
    std::vector<std::string> Run();

    // The solids the file holds (solid models of any kind), counted without
    // translating anything.
    int SolidCount() const;

    // At most this many entities skipped are named one by one in the notes.
    static constexpr std::size_t kNamedNotes = 20;

private:
    const Handle(StepData_StepModel) model_;
    const std::string path_;
    const std::string cannot_;
};

}  // namespace zarvento
