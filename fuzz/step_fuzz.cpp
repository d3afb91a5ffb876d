// The STEP read: any file imported as a part, as the step statement imports
// it (the translator runs in the STEP reader's own process, whose crash is a
// damaged file), and a body that imports gets its section about the model's
// Z axis, as the plan would take it.
#include "fuzz_support.h"
#include "geometry/lsc_transform.h"
#include "model/rotation_contours.h"
#include "platform/core/host_error.h"
#include "platform/documents/host_application.h"
#include "platform/documents/host_documents.h"
#include "platform/part_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zarvento;
    fuzz::FreshState fresh;
    const auto path = fuzz::ScratchFile("fuzz.step", fuzz::Text(data, size));
    try {
        HostApplication& app = ConnectHostApplication();
        const HostDocumentPtr doc = app.Documents().Add(DocumentType::Part);
        ImportStep(doc, path.string());
        LscTransform::Global().ReadFromHost(
            doc->AddLocalCoordinateSystem("ЛСК", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}));
        std::string message;
        BuildRotationContours(doc, &message);
    } catch (const HostError&) {
        // Refused, as a foreign or damaged file must be.
    }
    return 0;
}
