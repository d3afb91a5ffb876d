// A stable text form of a post-processor as read from its description, with
// the process-wide settings, for golden comparisons.
#pragma once

#include <string>

#include "post/post_processor.h"
#include "post/post_processor_settings.h"

namespace zarvento::test {

inline std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

inline void DumpCycle(std::string& out, const CCycle_Auto& c, const std::string& indent) {
    out += indent + "cycle " + Quoted(c.GetGCode()) + " type " + Quoted(c.GetType()) + (c.groupFlag ? " group" : "") +
           "\n";
    out += indent + "  name " + Quoted(c.GetName()) + "\n";
    out += indent + "  comment " + Quoted(c.comment) + "\n";
    out += indent + "  tool " + Quoted(c.toolDemands) + " profile " + Quoted(c.profilDemands) + " trajectory " +
           Quoted(c.trajectory) + "\n";
    out += indent + "  post-processor " + Quoted(c.postProcessorName) + "\n";
    for (int i = 0; i < c.paramCount && i < CCadreCycle::kMaxParameters; ++i) {
        const CycleParameter& p = c.params[static_cast<std::size_t>(i)];
        out += indent + "  param " + Quoted(p.name) + " kind " + p.kind + " caption " + Quoted(p.caption) + " value " +
               Quoted(p.valueText);
        if (p.listCount > 0) {
            out += " list";
            for (int k = 0; k < p.listCount && k < CycleParameter::kMaxListEntries; ++k)
                out += " " + Quoted(p.listTexts[static_cast<std::size_t>(k)]);
        }
        out += "\n";
    }
    for (const auto& m : c.members) DumpCycle(out, *m, indent + "  member ");
}

inline std::string DumpPostProcessor(const CPostProcessor& post) {
    const PostProcessorSettings& s = PostProcessorSettings::Current();
    std::string out;
    out += "name " + Quoted(post.GetName()) + "\n";
    out += "version " + Quoted(s.Version) + "\n";
    out += "coding " + Quoted(s.CodingChar) + "\n";
    out += "extension " + Quoted(post.GetFileExtension()) + "\n";
    out += "use python " + std::to_string(s.UsePython) + "\n";
    out += "edm arta " + std::to_string(s.EdmArta) + "\n";
    out += "format T " + Quoted(s.FormatT) + " written " + Quoted(post.GetToolFormat()) + "\n";
    out += "string init " + Quoted(s.StringInit) + "\n";
    out += "string offset " + Quoted(s.StringOffset) + "\n";
    out += "string offset Z " + Quoted(s.StringOffsetZ) + "\n";
    out += "synchron " + Quoted(s.CodeSynchronNullSpindel) + " written " + Quoted(post.GetSpindleSynchronCode()) + "\n";
    for (const std::string& code : post.GetCncCodes()) out += "cnc code " + Quoted(code) + "\n";
    out += "tables " + std::to_string(post.GetTables().size()) + "\n";
    for (const auto& c : post.GetCycles()) DumpCycle(out, *c, "");
    return out;
}

}  // namespace zarvento::test
