// Variant: storage and the host's type-change rules.
#include "platform/core/variant.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "platform/core/host_error.h"

namespace zarvento {

const char* VarTypeName(VarType t) {
    switch (t) {
        case VarType::Empty: return "EMPTY";
        case VarType::I4: return "I4";
        case VarType::R8: return "R8";
        case VarType::BStr: return "BSTR";
        case VarType::Dispatch: return "DISPATCH";
        case VarType::Bool: return "BOOL";
        case VarType::Int: return "INT";
        case VarType::Array: return "ARRAY";
    }
    return "?";
}

Variant Variant::I4(std::int32_t v) { return Make(VarType::I4, v); }
Variant Variant::Int(std::int32_t v) { return Make(VarType::Int, v); }
Variant Variant::R8(double v) { return Make(VarType::R8, v); }
Variant Variant::Bool(bool v) { return Make(VarType::Bool, v); }
Variant Variant::BStr(std::string utf8) { return Make(VarType::BStr, std::move(utf8)); }
Variant Variant::Dispatch(HostObjectPtr obj) { return Make(VarType::Dispatch, std::move(obj)); }
Variant Variant::Array(std::vector<Variant> items) { return Make(VarType::Array, std::move(items)); }

Variant Variant::Array(std::vector<Variant> items, VarType elementType, std::int32_t lowerBound, int dimensions) {
    for (const Variant& item : items)
        if (elementType != VarType::Empty && item.type_ != elementType)
            throw HostError(DISP_E_TYPEMISMATCH_, std::string("an array of ") + VarTypeName(elementType) +
                                                      " cannot hold " + VarTypeName(item.type_));
    if (dimensions < 0 || (dimensions == 0 && !items.empty()))
        throw HostError(E_INVALIDARG_, "an array without dimensions holds nothing");
    Variant r = Make(VarType::Array, std::move(items));
    r.arrayElement_ = elementType;
    r.arrayLowerBound_ = lowerBound;
    r.arrayDimensions_ = dimensions;
    return r;
}

namespace {

[[noreturn]] void Mismatch(VarType from, VarType to) {
    throw HostError(DISP_E_TYPEMISMATCH_, std::string("cannot change ") + VarTypeName(from) + " to " + VarTypeName(to));
}

std::int32_t RealToI4(double v) {
    if (!std::isfinite(v)) throw HostError(DISP_E_OVERFLOW_, "real value does not fit an integer");
    const double r = std::nearbyint(v);  // default rounding mode: half to even
    if (r < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
        r > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        throw HostError(DISP_E_OVERFLOW_, "real value does not fit an integer");
    return static_cast<std::int32_t>(r);
}

}  // namespace

std::int32_t Variant::AsI4() const {
    if (type_ != VarType::I4 && type_ != VarType::Int) Mismatch(type_, VarType::I4);
    return std::get<std::int32_t>(value_);
}

double Variant::AsR8() const {
    if (type_ != VarType::R8) Mismatch(type_, VarType::R8);
    return std::get<double>(value_);
}

bool Variant::AsBool() const {
    if (type_ != VarType::Bool) Mismatch(type_, VarType::Bool);
    return std::get<bool>(value_);
}

const std::string& Variant::AsBStr() const {
    if (type_ != VarType::BStr) Mismatch(type_, VarType::BStr);
    return std::get<std::string>(value_);
}

const HostObjectPtr& Variant::AsDispatch() const {
    if (type_ != VarType::Dispatch) Mismatch(type_, VarType::Dispatch);
    return std::get<HostObjectPtr>(value_);
}

const std::vector<Variant>& Variant::AsArray() const {
    if (type_ != VarType::Array) Mismatch(type_, VarType::Array);
    return std::get<std::vector<Variant>>(value_);
}

Variant Variant::ChangeType(VarType to) const {
    if (to == type_) return *this;
    if (type_ == VarType::Dispatch || type_ == VarType::Array || to == VarType::Dispatch || to == VarType::Array ||
        to == VarType::Empty)
        Mismatch(type_, to);

    switch (to) {
        case VarType::I4:
        case VarType::Int: {
            std::int32_t v = 0;
            switch (type_) {
                case VarType::Empty: v = 0; break;
                case VarType::I4:
                case VarType::Int: v = std::get<std::int32_t>(value_); break;
                case VarType::R8: v = RealToI4(std::get<double>(value_)); break;
                case VarType::Bool: v = std::get<bool>(value_) ? -1 : 0; break;
                case VarType::BStr: {
                    double d = 0;
                    if (!ParseDouble(std::get<std::string>(value_), d)) Mismatch(type_, to);
                    v = RealToI4(d);
                    break;
                }
                default: Mismatch(type_, to);
            }
            return to == VarType::I4 ? I4(v) : Int(v);
        }
        case VarType::R8: {
            switch (type_) {
                case VarType::Empty: return R8(0.0);
                case VarType::I4:
                case VarType::Int: return R8(std::get<std::int32_t>(value_));
                case VarType::Bool: return R8(std::get<bool>(value_) ? -1.0 : 0.0);
                case VarType::BStr: {
                    double d = 0;
                    if (!ParseDouble(std::get<std::string>(value_), d)) Mismatch(type_, to);
                    return R8(d);
                }
                default: Mismatch(type_, to);
            }
        }
        case VarType::Bool: {
            switch (type_) {
                case VarType::Empty: return Bool(false);
                case VarType::I4:
                case VarType::Int: return Bool(std::get<std::int32_t>(value_) != 0);
                case VarType::R8: return Bool(std::get<double>(value_) != 0.0);
                case VarType::BStr: {
                    const std::string& s = std::get<std::string>(value_);
                    if (s == "True" || s == "true" || s == "#TRUE#") return Bool(true);
                    if (s == "False" || s == "false" || s == "#FALSE#") return Bool(false);
                    double d = 0;
                    if (!ParseDouble(s, d)) Mismatch(type_, to);
                    return Bool(d != 0.0);
                }
                default: Mismatch(type_, to);
            }
        }
        case VarType::BStr: {
            switch (type_) {
                case VarType::Empty: return BStr("");
                case VarType::I4:
                case VarType::Int: return BStr(std::to_string(std::get<std::int32_t>(value_)));
                case VarType::R8: return BStr(FormatDouble(std::get<double>(value_)));
                case VarType::Bool: return BStr(std::get<bool>(value_) ? "True" : "False");
                default: Mismatch(type_, to);
            }
        }
        default: Mismatch(type_, to);
    }
}

std::string Variant::DumpText() const {
    std::string kind = VarTypeName(type_);
    switch (type_) {
        case VarType::Empty: return kind;
        case VarType::I4:
        case VarType::Int: return kind + " " + std::to_string(std::get<std::int32_t>(value_));
        case VarType::R8: return kind + " " + FormatDouble(std::get<double>(value_));
        case VarType::Bool: return kind + (std::get<bool>(value_) ? " true" : " false");
        case VarType::BStr: return kind + " \"" + std::get<std::string>(value_) + "\"";
        case VarType::Dispatch: {
            const auto& o = std::get<HostObjectPtr>(value_);
            if (!o) return kind + " null";
            return kind + " #" + std::to_string(o->PersistentId()) + (o->Name().empty() ? "" : " " + o->Name());
        }
        case VarType::Array: {
            std::string s = kind + " [";
            bool first = true;
            for (const auto& v : std::get<std::vector<Variant>>(value_)) {
                s += first ? "" : ", ";
                s += v.DumpText();
                first = false;
            }
            return s + "]";
        }
    }
    return kind;
}

bool operator==(const Variant& a, const Variant& b) {
    if (a.type_ != b.type_) return false;
    if (a.type_ == VarType::Array && (a.arrayElement_ != b.arrayElement_ || a.arrayLowerBound_ != b.arrayLowerBound_ ||
                                      a.arrayDimensions_ != b.arrayDimensions_))
        return false;
    return a.value_ == b.value_;
}

std::string FormatDouble(double v) {
    char buf[32];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

bool ParseDouble(std::string_view text, double& out) {
    if (text.empty()) return false;
    const char* b = text.data();
    const char* e = b + text.size();
    if (*b == '+') ++b;
    double v = 0;
    auto res = std::from_chars(b, e, v);
    if (res.ec != std::errc() || res.ptr != e || !std::isfinite(v)) return false;
    out = v;
    return true;
}

bool IsPlausibleValue(double v) { return std::isfinite(v) && std::fabs(v) <= kMaxPlausibleValue; }

bool ParseInt(std::string_view text, std::int32_t& out) {
    if (text.empty()) return false;
    const char* b = text.data();
    const char* e = b + text.size();
    if (*b == '+') ++b;
    auto res = std::from_chars(b, e, out);
    return res.ec == std::errc() && res.ptr == e;
}

}  // namespace zarvento
