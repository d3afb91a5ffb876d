// The STEP translator: reading and writing STEP files is a module of the host
// of its own ("librdzStep.so", beside the host module), loaded when a STEP
// file is first met. Open CASCADE's data exchange and the document framework
// it needs bring a long chain of libraries (visualisation and image formats
// among them) that a run which never meets a STEP file has no use for: left
// out of the host module, they are neither loaded nor mapped by such a run.
// Only the modelling modules' own sources include this.
#pragma once

#include <TopoDS_Shape.hxx>

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/part_model.h"
#include "platform/part_model/part_model_calls.h"

namespace zarvento {

// A face of a part read from a file: its colour (when the file gives one),
// light values and name.
struct StepFaceLook {
    bool coloured = false;
    std::uint32_t colour = kDefaultFaceColour;
    LightValues light = kDefaultLight;
    std::string name;
};

struct StepPart {
    std::string name;
    TopoDS_Shape body;                // the part's solids, placed
    std::vector<StepFaceLook> faces;  // in the order of the body's face map
};

struct StepContent {
    bool assembly = false;
    std::string name;
    std::vector<StepPart> parts;
    // What the read passed over and the import reports (an entity of the
    // file's presentation that cannot be read and is skipped).
    std::vector<std::string> notes;
};

struct StepComponent {
    std::string name;
    TopoDS_Shape body;
    std::array<double, 3> offset{0, 0, 0};
};

// The module's entry points. Each raises HostError with the reason; `read`
// is given a file already known to be a STEP file and names it in its errors
// after `cannot` ("cannot import \"<path>\": ").
struct StepTranslator {
    StepContent (*read)(const std::string& path, const std::string& cannot);
    // One part of that name; faces numbered as in the body's face map get
    // their colours.
    void (*writePart)(const std::string& path, const TopoDS_Shape& body, const std::string& name,
                      const std::vector<std::pair<int, std::uint32_t>>& faceColours);
    void (*writeAssembly)(const std::string& path, const std::string& name,
                          const std::vector<StepComponent>& components);
};

// The function the module exports under this name answers its translator.
inline constexpr const char* kStepTranslatorEntry = "ZarventoStepTranslator";
using StepTranslatorEntry = const StepTranslator* (*)();

// The translator, its module loaded on the first call and kept for the life
// of the process (the libraries it brings keep tables of their own until the
// end); HostError(E_FAIL) when the module cannot be loaded.
const StepTranslator& LoadStepTranslator();

// The translator's read, run by the STEP reader program in a process of its
// own: what the file holds, or the translator's refusal as HostError. The
// reader's death (a crash inside the translator) or a read that does not end
// within its time is a damaged file; `cannot` as for `read`.
StepContent ReadStepInOwnProcess(const std::string& path, const std::string& cannot);

}  // namespace zarvento
