// A stable text form of everything the statement grammar builds: the
// post-processor dump, then per definition what the statements add, the frame
// templates, the address words and the tables.
#pragma once

#include <string>
#include <vector>

#include "nc/address_table.h"
#include "nc/cycle_code_lists.h"
#include "nc/frame_templates.h"
#include "platform/core/variant.h"
#include "post/post_processor.h"
#include "post/post_processor_table.h"
#include "post_dump.h"

namespace zarvento::test {

inline std::string JoinQuoted(const std::vector<std::string>& texts) {
    std::string out;
    for (const std::string& t : texts) out += " " + Quoted(t);
    return out;
}

inline std::string Numbers(const std::vector<double>& values) {
    std::string out;
    for (double v : values) out += " " + FormatDouble(v);
    return out;
}

inline void DumpCodeLines(std::string& out, const char* list, const std::vector<CodeLine>& lines,
                          const std::string& indent) {
    for (const CodeLine& l : lines) {
        out += indent + list + " " + Quoted(l.text) + " args" + JoinQuoted(l.arguments) + " |";
        out += " numbered " + std::to_string(l.numbered) + " hold " + std::to_string(l.hold) + " contour " +
               std::to_string(l.special) + " print " + Quoted(l.condition) + " repeat " + Quoted(l.repeat) + " N " +
               Quoted(l.numberFormat) + " m " + Quoted(l.formatM) + " n " + Quoted(l.formatN) + " f " +
               Quoted(l.formatF) + "\n";
    }
}

inline void DumpLists(std::string& out, const CycleCodeLists& t, const std::string& indent) {
    DumpCodeLines(out, "CODE", t.code, indent);
    DumpCodeLines(out, "PRINT_PNT", t.printPnt, indent);
    DumpCodeLines(out, "PRINT_CNT", t.printCnt, indent);
    DumpCodeLines(out, "PRINT_END", t.printEnd, indent);
}

inline std::string DumpStatements(const CPostProcessor& post) {
    std::string out = DumpPostProcessor(post);
    out += "--- statements\n";
    for (const auto& c : post.GetCycles()) {
        out += "definition " + Quoted(c->GetGCode()) + " keyword" + JoinQuoted(c->textList) + " group " +
               std::to_string(c->groupFlag) + " prepare " + std::to_string(c->groupFlag2) + " entries" +
               JoinQuoted(c->entryList) + "\n";
        for (int i = 0; i < c->paramCount && i < CCadreCycle::kMaxParameters; ++i) {
            const CycleParameter& p = c->params[static_cast<std::size_t>(i)];
            out += "  param " + Quoted(p.name) + " formula " + Quoted(p.autoFormula) + " index " +
                   std::to_string(p.intValue);
            for (int k = 0; k < p.listCount && k < CycleParameter::kMaxListEntries; ++k) {
                const auto j = static_cast<std::size_t>(k);
                out += " [" + p.listTexts[j] + " " + std::to_string(p.listValues[j]) + " " +
                       std::to_string(p.listCodes[j]) + "]";
            }
            out += "\n";
        }
        if (c->cycleTemplate) DumpLists(out, *c->cycleTemplate, "  ");
    }
    for (std::string_view kind : FrameTemplates::kKindNames) {
        const CycleCodeLists* t = FrameTemplates::Find(kind);
        if (t == nullptr) continue;
        out += "template " + std::string(kind) + "\n";
        DumpLists(out, *t, "  ");
    }
    for (const AddressTable::Word& w : AddressTable::Global().Words())
        out += "word " + Quoted(w.name) + " formula " + Quoted(w.formula) + "\n";
    for (const auto& t : post.GetTables()) {
        out += "table " + Quoted(t->name) + " second " + Quoted(t->secondValue) + " columns" +
               JoinQuoted(t->columnNames) + " width " + std::to_string(t->width) + " keys" + Numbers(t->columnKeys) +
               "\n";
        for (const auto& row : t->dataRows) out += "  row" + Numbers(row) + "\n";
    }
    out += "global tables " + std::to_string(GlobalTableList().size()) + "\n";
    return out;
}

}  // namespace zarvento::test
