// Cycle definitions of the older description layout: the blocks between
// BEGIN_CYCLE and END_CYCLE, and the member cycles of a group.
#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "nc/cycle_auto.h"
#include "nc/cycle_definition_links.h"
#include "platform/core/messages.h"

namespace zarvento {

namespace {

// A token holds at most this many characters; the rest of a longer one is cut.
constexpr std::size_t kMaxTokenCharacters = 1023;

struct BlockToken {
    std::string text;
    bool endsLine = false;  // ended by a line feed or a carriage return
};

bool IsTerminator(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Splits a block into tokens. A token at the very end of the text, with no
// terminator after it, is not a token.
std::vector<BlockToken> SplitBlock(std::string_view block) {
    std::vector<BlockToken> tokens;
    std::string current;
    bool inToken = false, quoted = false, cutting = false;
    std::size_t characters = 0;
    auto append = [&](char c) {
        const bool continuation = (static_cast<unsigned char>(c) & 0xC0) == 0x80;
        if (!continuation) {
            cutting = characters >= kMaxTokenCharacters;
            if (!cutting) ++characters;
        }
        if (!cutting) current += c;
    };
    for (const char c : block) {
        if (!inToken) {
            if (IsTerminator(c)) continue;
            inToken = true;
            current.clear();
            characters = 0;
            cutting = false;
            if (c == '"') {
                quoted = true;
                continue;
            }
            append(c);
            continue;
        }
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c != '\r') {
                append(c);
            }
            continue;
        }
        if (IsTerminator(c)) {
            tokens.push_back({std::move(current), c == '\n' || c == '\r'});
            current.clear();
            inToken = false;
            continue;
        }
        if (c != '"') append(c);
    }
    return tokens;
}

constexpr std::array<std::string_view, 6> kValueKeys = {"NAME",         "COMMENT",        "TYPE",
                                                        "TOOL_DEMANDS", "PROFIL_DEMANDS", "TRAJECTORY"};

bool IsValueKey(std::string_view t) {
    for (std::string_view k : kValueKeys)
        if (k == t) return true;
    return false;
}

// The stored kind for a kind token; 0 leaves the kind as it was.
char KindOfToken(std::string_view t) {
    if (t.rfind("OD", 0) == 0) return 'K';
    if (t.rfind("OP", 0) == 0) return '1';
    if (t.empty()) return 0;
    switch (t.front()) {
        case 'O': return 'O';
        case 'A': return 'A';
        case 'D': return 'D';
        case 'R': return 'R';
        default: return 0;
    }
}

// Conditions read from the post-processor's side of the contour: a comparison
// right after "(", "<", "=" or ">" is turned round.
void SwapComparisons(std::string& text) {
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '<' && c != '>') continue;
        const char before = text[i - 1];
        if (before == '(' || before == '<' || before == '=' || before == '>') text[i] = c == '<' ? '>' : '<';
    }
}

}  // namespace

void CCycle_Auto::ReadCycleDescription(std::string_view block) {
    paramCount = 0;
    toolDemands = profilDemands = trajectory = " ";
    std::string key = "GCODE";
    int state = 0;
    bool listOpen = false;

    auto field = [&](std::string_view k) -> std::string* {
        if (k == "GCODE") return &gcode;
        if (k == "NAME") return &cycleName;
        if (k == "COMMENT") return &comment;
        if (k == "TYPE") return &cycleType;
        if (k == "TOOL_DEMANDS") return &toolDemands;
        if (k == "PROFIL_DEMANDS") return &profilDemands;
        if (k == "TRAJECTORY") return &trajectory;
        return nullptr;
    };

    for (const BlockToken& token : SplitBlock(block)) {
        const std::string& t = token.text;
        const bool listMark = t == "begin_list" || t == "end_list";
        if (IsValueKey(t)) key = t;
        if (std::string* target = field(key)) {
            *target = t;
            key.clear();
        }
        if (key == "PARAMETERS" && !listOpen && !listMark && paramCount < kMaxParameters) {
            CycleParameter& p = params[static_cast<std::size_t>(paramCount)];
            switch (state) {
                case 0:
                    p.listCount = 0;
                    p.listTexts.fill(std::string());
                    p.name = t;
                    state = 1;
                    break;
                case 1:
                    if (const char kind = KindOfToken(t)) p.kind = kind;
                    state = 2;
                    break;
                case 2:
                    p.caption = t;
                    if (token.endsLine) {
                        ++paramCount;
                        state = 0;
                    } else {
                        state = 3;
                    }
                    break;
                default:
                    p.valueText = t;
                    ++paramCount;
                    state = 0;
                    break;
            }
            if (paramCount >= kMaxParameters) key.clear();
        } else if (key == "PARAMETERS" && listOpen && paramCount >= 1 && !listMark) {
            CycleParameter& p = params[static_cast<std::size_t>(paramCount - 1)];
            if (p.listCount >= CycleParameter::kMaxListEntries) {
                std::string message = kListOverflow;
                message.replace(message.find("%s"), 2, gcode);
                ShowHostMessage(message);
                return;
            }
            p.listTexts[static_cast<std::size_t>(p.listCount++)] = t;
        }
        if (t == "begin_list") listOpen = true;
        if (t == "end_list") listOpen = false;
        if (IsValueKey(t) || t == "PARAMETERS") key = t;
    }

    SwapComparisons(profilDemands);
    if (cycleType == "Threading") {
        if (toolDemands == "Chisel") {
            cycleType = "Threading_Chisel";
        } else if (toolDemands == "Die" || toolDemands == "Tap") {
            cycleType = "Threading_Tap_Die";
        }
    }
}

void CCycle_Auto::CreateGroupCycles() {
    if (!groupFlag) return;
    CycleDefinitionLinks* links = GetCycleDefinitionLinks();
    if (links == nullptr || !links->HasPostProcessor(postProcessorName)) return;
    members.clear();
    members.shrink_to_fit();
    const int count = std::clamp(paramCount, 0, kMaxParameters);
    for (int i = 0; i < count; ++i) members.push_back(std::make_unique<CCycle_Auto>());
    for (int i = 0; i < count; ++i) {
        const CCycle_Auto* definition =
            links->FindCycleDefinition(postProcessorName, params[static_cast<std::size_t>(i)].name);
        // A group never contains itself: that copy would have no end.
        if (definition != nullptr && definition != this) members[static_cast<std::size_t>(i)]->Copy(*definition);
    }
    if (!profilDemands.empty() && profilDemands != " ")
        for (auto& m : members) m->trajectory = trajectory;
}

}  // namespace zarvento
