// The cycle frame's parameter table and its positional storage layout.
#include "nc/cadre_cycle.h"

#include <charconv>

#include "nc/frame_text_format.h"
#include "platform/core/messages.h"
#include "platform/core/variant.h"
#include "platform/documents/storage_record.h"

namespace zarvento {

namespace {

// The number at the start of a text as the C library reads one ('.' only,
// leading blanks skipped, the rest ignored); false when there is none.
bool LeadingNumber(std::string_view text, double& value) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc();
}

// A stored value into the slot, by kind. A real that does not fit an integer
// leaves the integer value 0 rather than wrapping.
void TakeValueText(CycleParameter& p, const std::string& text) {
    p.valueText = text;
    if (p.IsList()) {
        p.intValue = ListIndexFromText(p, text);
        return;
    }
    double v = 0.0;
    const bool number = LeadingNumber(text, v);
    if (p.kind == 'i') {
        std::int32_t n = 0;
        p.intValue = number && TruncateToInt32(v, n) ? n : 0;
    } else if (p.kind == 'd') {
        p.realValue = number ? v : 0.0;
    }
}

std::string PrintedInt(std::int32_t v) { return std::to_string(v); }

std::string PrintedReal(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);  // as "%g"
    return std::string(buf, r.ptr);
}

}  // namespace

std::int32_t ListIndexFromText(const CycleParameter& p, std::string_view text) {
    double v = 0.0;
    std::int32_t n = 0;
    if (text.empty() || !LeadingNumber(text, v) || !TruncateToInt32(v, n)) return 0;
    const std::int64_t index = static_cast<std::int64_t>(n) - 1;
    return index >= 0 && index < p.listCount ? static_cast<std::int32_t>(index) : 0;
}

bool CCadreCycle::AddParamInt(std::string_view name, std::int32_t value, std::string_view caption) {
    if (paramCount < 0 || paramCount >= kMaxParameters) return false;
    CycleParameter& p = params[static_cast<std::size_t>(paramCount)];
    p.name = name;
    p.caption = caption;
    p.intValue = value;
    p.kind = 'i';
    p.valueText = PrintedInt(value);
    ++paramCount;
    return true;
}

bool CCadreCycle::AddParamDouble(std::string_view name, double value, std::string_view caption) {
    if (paramCount < 0 || paramCount >= kMaxParameters) return false;
    CycleParameter& p = params[static_cast<std::size_t>(paramCount)];
    p.name = name;
    p.caption = caption;
    p.realValue = value;
    p.kind = value > 1e19 ? 'A' : 'd';
    p.valueText = PrintedReal(value);
    ++paramCount;
    return true;
}

void CCadreCycle::SetParamExpression(std::string_view text) { SetParamExpressionAt(paramCount, text); }

bool CCadreCycle::SetParamExpressionAt(int i, std::string_view text) {
    if (i < 0 || i >= kMaxParameters) return false;
    params[static_cast<std::size_t>(i)].valueText = text;
    return true;
}

bool CCadreCycle::SetParamComment(int i, std::string_view caption) {
    if (i < 0 || i >= kMaxParameters) return false;
    params[static_cast<std::size_t>(i)].caption = caption;
    return true;
}

void CCadreCycle::AddListValue(std::string_view text) {
    if (paramCount < 1 || paramCount > kMaxParameters) {
        ShowHostMessage(kIndexError);
        return;
    }
    CycleParameter& p = params[static_cast<std::size_t>(paramCount - 1)];
    if (p.listCount < 0 || p.listCount >= CycleParameter::kMaxListEntries) return;
    const auto n = static_cast<std::size_t>(p.listCount);
    p.listTexts[n] = text;
    p.listValues[n] = p.listCount;
    p.listCodes[n] = p.listCount;
    ++p.listCount;
}

CycleParameter* CCadreCycle::FindParam(std::string_view name) {
    return const_cast<CycleParameter*>(static_cast<const CCadreCycle*>(this)->FindParam(name));
}

const CycleParameter* CCadreCycle::FindParam(std::string_view name) const {
    const int count = paramCount < kMaxParameters ? paramCount : kMaxParameters;
    for (int i = 0; i < count; ++i)
        if (params[static_cast<std::size_t>(i)].name == name) return &params[static_cast<std::size_t>(i)];
    return nullptr;
}

bool CCadreCycle::SaveParameters(StorageRecord& record) {
    std::int32_t count = 0;
    for (const CycleParameter& p : params)
        if (!p.valueText.empty()) ++count;
    record.AddValue(Variant::I4(count));
    for (std::size_t i = 0; i < params.size(); ++i) {
        CycleParameter& p = params[i];
        if (p.valueText.empty()) continue;
        if (p.IsList()) p.valueText = PrintedInt(p.ListIndex() + 1);
        record.AddValue(Variant::Int(static_cast<std::int32_t>(i)));
        record.AddValue(Variant::BStr(p.valueText));
    }
    return true;
}

bool CCadreCycle::LoadParameters(StorageRecord& record) {
    for (CycleParameter& p : params) {
        p.valueText.clear();
        p.intValue = 0;
        p.realValue = 0.0;
    }
    ReadParameterEntries(record);
    return true;
}

void CCadreCycle::ReadParameterEntries(StorageRecord& record) {
    Variant v;
    record.ReadValue(v);
    const std::int32_t count = v.IsEmpty() ? 0 : v.ToI4();
    // A record holds at most one entry per slot; more would be a damaged record.
    for (std::int32_t e = 0; e < count && e < kMaxParameters; ++e) {
        record.ReadValue(v);
        if (v.IsEmpty()) break;  // the record ends early
        const std::int32_t index = v.ToI4();
        record.ReadValue(v);
        const std::string text = v.IsEmpty() ? std::string() : v.ToBStr();
        if (index < 0 || index >= kMaxParameters) continue;  // no such slot: the entry is skipped
        TakeValueText(params[static_cast<std::size_t>(index)], text);
    }
}

}  // namespace zarvento
