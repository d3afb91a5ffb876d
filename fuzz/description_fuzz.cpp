// The description reader and the statement grammar: any file as a
// post-processor description, then the look-ups and copies the plan makes.
#include "fuzz_support.h"
#include "nc/cycle_auto.h"
#include "post/post_processor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zarvento;
    fuzz::FreshState fresh;
    const auto path = fuzz::ScratchFile("Fuzz.py3", fuzz::Text(data, size));
    CPostProcessor post("Fuzz", path.string());
    if (post.ReadPostProcessorDescription()) {
        for (const char* type : {"Turning", "Drilling", "Threading_Chisel", "Threading_Tap_Die", "Grooving"}) {
            const int count = post.GetCountCyclesOfType(type);
            for (int n = 0; n <= count; ++n)
                if (CCycle_Auto* cycle = post.GetCycleOfType(type, n)) cycle->CalcParameters(false);
        }
        CPostProcessor copy;
        copy = post;
    }
    FreeFrameTemplates();
    return 0;
}
