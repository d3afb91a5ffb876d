// The drawing document's stored text: any text as a drawing. One that reads
// is exploded into its primitives, exported as SVG and DXF, and stored again
// as the same text.
#include "fuzz_support.h"
#include "platform/core/host_error.h"
#include "platform/documents/drawing_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zarvento;
    fuzz::FreshState fresh;
    DrawingDocument drawing;
    std::string why;
    if (!DrawingDocument::Decode(std::string(fuzz::Text(data, size)), drawing, &why)) return 0;
    const std::string text = drawing.Encode();
    DrawingDocument again;
    if (!DrawingDocument::Decode(text, again) || again.Encode() != text) __builtin_trap();
    drawing.Explode();
    try {
        ExportDrawing(drawing, (fuzz::Scratch() / "fuzz.svg").string());
        ExportDrawing(drawing, (fuzz::Scratch() / "fuzz.dxf").string());
    } catch (const HostError&) {
        // A drawing that cannot be exported says so.
    }
    return 0;
}
