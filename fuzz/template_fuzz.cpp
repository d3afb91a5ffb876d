// Template expansion: any file as a description, then a small program of
// frames (head, tool change, spindle, moves and arcs, comments with names that
// would close them, the end) written through whatever templates it made.
#include <map>
#include <memory>
#include <vector>

#include "fuzz_support.h"
#include "nc/cadre_arc_g02.h"
#include "nc/cadre_arc_g03.h"
#include "nc/cadre_comment.h"
#include "nc/cadre_end.h"
#include "nc/cadre_g96.h"
#include "nc/cadre_head.h"
#include "nc/cadre_line_g01.h"
#include "nc/cadre_m3.h"
#include "nc/cadre_m30.h"
#include "nc/cadre_name_oper.h"
#include "nc/cadre_safe.h"
#include "nc/cadre_t.h"
#include "nc/modal_state.h"
#include "post/post_processor.h"
#include "post/post_processor_links.h"

namespace {

using namespace zarvento;

// What the plan and the operation answer while a program is written.
class PlanStandIn : public PARAMETERS {
public:
    const double* GetParameter(std::string_view name) override {
        if (name == "i") return ModalState.loopIndex > 0 ? &(loop_ = ModalState.loopIndex) : nullptr;
        const auto v = values_.find(std::string(name));
        return v == values_.end() ? nullptr : &v->second;
    }
    const std::string* GetStringParameter(std::string_view name) override {
        if (name == "_sMEMSTR") return &ModalState.heldLine;
        const auto t = texts_.find(std::string(name));
        return t == texts_.end() ? nullptr : &t->second;
    }

private:
    std::map<std::string, double> values_{{"_NPOS", 2.0}, {"_INCH", 0.0}};
    std::map<std::string, std::string> texts_{{"_sPOST", "Fuzz) M30 ("}, {"_sNAMEOPER", "Finish) G00 X0 ("}};
    double loop_ = 0.0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FreshState fresh;
    const auto path = fuzz::ScratchFile("Fuzz.py3", fuzz::Text(data, size));
    CPostProcessor post("Fuzz", path.string());
    if (post.ReadPostProcessorDescription()) {
        ResetModalState();
        PlanStandIn plan;
        ResetAddressWords(0, &plan);
        std::vector<std::unique_ptr<CCadreISO>> frames;
        frames.push_back(std::make_unique<CCadre_Head>());
        frames.push_back(std::make_unique<CCadre_Safe>());
        frames.push_back(std::make_unique<CCadre_Comment>("part) M30 (\r\nN1 G00"));
        frames.push_back(std::make_unique<CCadre_NameOper>());
        frames.push_back(std::make_unique<CCadre_T>(0, 1.0, 0.0, true));
        frames.push_back(std::make_unique<CCadre_G96>(150.0, 100.0, 2500.0));
        frames.push_back(std::make_unique<CCadre_M3>());
        frames.push_back(std::make_unique<CCadre_LineG01>(-40.0, 10.0, -20.0, 2.0, 0.0, true));
        frames.push_back(std::make_unique<CCadre_LineG01>(-20.0, 2.0, -20.0, -30.0, 0.2, false));
        frames.push_back(std::make_unique<CCadre_ArcG03>(-25.0, -30.0, 5.0, -20.0, -30.0, -25.0, -35.0, 0.2, false));
        frames.push_back(std::make_unique<CCadre_ArcG02>(-30.0, -35.0, 5.0, -25.0, -35.0, -30.0, -40.0, 0.1, false));
        frames.push_back(std::make_unique<CCadre_M30>());
        frames.push_back(std::make_unique<CCadre_End>());
        for (auto& frame : frames) {
            frame->codeParameters->parent = &plan;
            frame->SetModalState();
            frame->SetOutputCoordinates();
        }
        std::vector<std::string> lines;
        int number = 1;
        for (auto& frame : frames) number = frame->WriteText(lines, number);
    }
    FreeFrameTemplates();
    return 0;
}
