// Tool models: any text as a model's text form, made into a document and, as
// "zarvento tool-contour" does, read into a tool whose contour is built.
#include "catalogs/param_tool.h"
#include "catalogs/tool_model_text.h"
#include "fuzz_support.h"
#include "platform/core/host_error.h"
#include "platform/documents/host_application.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zarvento;
    fuzz::FreshState fresh;
    ConnectHostApplication();
    try {
        const HostDocumentPtr model = ToolModelText::Parse(fuzz::Text(data, size), "fuzz");
        const std::string path = (fuzz::Scratch() / "tool.rdp").string();
        model->SaveAs(path);
        ParamTool tool;
        tool.sToolName = "tool";
        tool.Angle = 90;
        tool.sWorkFile = path;
        tool.ReadModelVariablesFromFile();
        tool.CreateToolContour();
    } catch (const HostError&) {
        // A model that cannot be read, or whose values no tool has, is refused.
    }
    return 0;
}
