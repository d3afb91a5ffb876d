// A plan with its post-processor's description: the example's plan
// (ZARVENTO_FUZZ_PLAN names its document, which scripts/fuzz.sh makes with
// the tool models beside it) under a description taken from the input. The
// plan is synchronised, so every operation is recalculated with the
// description's cycles and templates, and its program's text is made as
// the main job makes it, short of a script's run.
#include <cstdio>
#include <cstdlib>

#include "fuzz_support.h"
#include "nc/cadre_iso.h"
#include "plan/plan.h"
#include "platform/core/host_error.h"
#include "platform/core/host_folder.h"
#include "platform/documents/host_application.h"
#include "platform/documents/host_documents.h"
#include "platform/processes/module.h"
#include "post/program.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zarvento;
    static const std::filesystem::path plan = [] {
        const char* named = std::getenv("ZARVENTO_FUZZ_PLAN");
        if (!named || !*named) {
            std::fprintf(stderr, "plan_fuzz: ZARVENTO_FUZZ_PLAN names no plan document\n");
            std::abort();
        }
        return std::filesystem::path(named);
    }();
    fuzz::FreshState fresh;
    const std::filesystem::path module = fuzz::Scratch() / "module";
    std::filesystem::create_directories(module / "POSTPROCESSORS");
    // The plan's coordinate system names the example's post-processor.
    fuzz::ScratchFile("module/POSTPROCESSORS/ISO_Lathe.py3", fuzz::Text(data, size));
    SetModuleDirectory(module);
    SetHostFolder(fuzz::Scratch());
    const std::filesystem::path copy = fuzz::Scratch() / "plan.rdp";
    std::error_code ec;
    std::filesystem::copy_file(plan, copy, std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) std::abort();
    try {
        ConnectHostApplication().Documents().Open(copy.string());
        CPLAN& planned = *GetPLAN();
        planned.Synchronize();
        // Without its operations the target would try nothing of the plan.
        if (planned.GetTurnCount() == 0) {
            std::fprintf(stderr, "plan_fuzz: %s has no operations\n", plan.c_str());
            std::abort();
        }
        CPROGRAM program;
        program.Load();
        program.CreateProgram();
        std::vector<std::string> lines;
        program.WriteProgramText(lines);
    } catch (const HostError&) {
        // A host call that failed is reported by the caller; nothing else may come out.
    }
    SetModuleDirectory(std::nullopt);
    SetHostFolder(std::nullopt);
    return 0;
}
