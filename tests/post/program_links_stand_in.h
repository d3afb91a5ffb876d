// A stand-in for the plan's links: a fresh temporary folder and a chosen
// post-processor, registered for the life of the object.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "nc/cadre_line_g01.h"
#include "platform/core/text_file.h"
#include "post/post_processor.h"
#include "post/program.h"
#include "post/program_plan_links.h"
#include "test_support.h"

namespace zarvento::test {

class ProgramLinksStandIn : public ProgramPlanLinks {
public:
    ProgramLinksStandIn() : previous_(RegisterProgramPlanLinks(this)) {}
    ~ProgramLinksStandIn() override { RegisterProgramPlanLinks(previous_); }
    ProgramLinksStandIn(const ProgramLinksStandIn&) = delete;
    ProgramLinksStandIn& operator=(const ProgramLinksStandIn&) = delete;

    std::filesystem::path TemporaryDirectory() const override { return folder.Path(); }
    const CPostProcessor* PostProcessor() const override { return post.get(); }

    // An exchange file written as the script would: raw bytes.
    void WriteFile(const std::string& name, const std::string& bytes) const {
        ASSERT_TRUE(WriteFileAtomic(folder / name, bytes).ok);
    }

    TempDir folder;
    std::unique_ptr<CPostProcessor> post;

private:
    ProgramPlanLinks* previous_;
};

// Two moves of a program, numbered 1 and 2 as built-in texts number them:
// a rapid to (-20, 2) and a cut to (-20, -10).
struct NumberedMoves {
    explicit NumberedMoves(CPROGRAM& program) {
        rapid.frameNumber = 1;
        cut.frameNumber = 2;
        program.frames.Add(&rapid);
        program.frames.Add(&cut);
    }
    CCadre_LineG01 rapid{-30, 5, -20, 2, 0, true};
    CCadre_LineG01 cut{-20, 2, -20, -10, 0.2, false};
};

}  // namespace zarvento::test
