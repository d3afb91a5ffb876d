// Variant: the value type of host calls and document records, with the type
// changes the readers rely on (number <-> text, integer <-> real, bool).
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "platform/core/host_object.h"

namespace zarvento {

enum class VarType : std::uint16_t {
    Empty = 0,
    I4 = 3,
    R8 = 5,
    BStr = 8,
    Dispatch = 9,
    Bool = 11,
    Int = 22,
    Array = 0x2000,  // an array of Variants
};

const char* VarTypeName(VarType t);

class Variant {
public:
    Variant() = default;
    static Variant I4(std::int32_t v);
    static Variant Int(std::int32_t v);
    static Variant R8(double v);
    static Variant Bool(bool v);
    static Variant BStr(std::string utf8);
    static Variant Dispatch(HostObjectPtr obj);
    static Variant Array(std::vector<Variant> items);
    // An array with its shape: the type of its elements (each item must have
    // it; VarType::Empty: VARIANTs, as above), its number of dimensions (0: a
    // null array, which holds nothing) and the lower bound of its first
    // dimension. The items of several dimensions are kept in storage order.
    static Variant Array(std::vector<Variant> items, VarType elementType, std::int32_t lowerBound = 0,
                         int dimensions = 1);

    VarType Type() const { return type_; }
    bool IsEmpty() const { return type_ == VarType::Empty; }

    // Direct access; a wrong kind raises HostError(DISP_E_TYPEMISMATCH).
    std::int32_t AsI4() const;
    double AsR8() const;
    bool AsBool() const;
    const std::string& AsBStr() const;
    const HostObjectPtr& AsDispatch() const;
    const std::vector<Variant>& AsArray() const;
    // The shape of an array (see Array).
    VarType ArrayElementType() const { return arrayElement_; }
    std::int32_t ArrayLowerBound() const { return arrayLowerBound_; }
    int ArrayDimensions() const { return arrayDimensions_; }

    // Conversion as the host's type change does it. Text to number accepts
    // '.' only and no trailing garbage; real to integer rounds half to even;
    // a value out of range raises DISP_E_OVERFLOW, an impossible change
    // DISP_E_TYPEMISMATCH.
    Variant ChangeType(VarType to) const;
    std::int32_t ToI4() const { return ChangeType(VarType::I4).AsI4(); }
    double ToR8() const { return ChangeType(VarType::R8).AsR8(); }
    bool ToBool() const { return ChangeType(VarType::Bool).AsBool(); }
    std::string ToBStr() const { return ChangeType(VarType::BStr).AsBStr(); }

    // Short readable form for dumps: kind and value.
    std::string DumpText() const;

    friend bool operator==(const Variant& a, const Variant& b);

private:
    template <typename T>
    static Variant Make(VarType type, T value) {
        Variant r;
        r.type_ = type;
        r.value_ = std::move(value);
        return r;
    }

    VarType type_ = VarType::Empty;
    VarType arrayElement_ = VarType::Empty;
    std::int32_t arrayLowerBound_ = 0;
    int arrayDimensions_ = 1;
    std::variant<std::monostate, std::int32_t, double, bool, std::string, HostObjectPtr, std::vector<Variant>> value_;
};

// Locale-free number text, shortest form that reads back to the same double.
std::string FormatDouble(double v);
// Locale-free parse of the whole text; false on any garbage. "nan", "inf"
// and numbers beyond a double are no values a user means: refused too.
bool ParseDouble(std::string_view text, double& out);
// Bound of the values a lathe job deals in (lengths in mm, speeds, feeds,
// angles, tool dimensions): readers of user input and of stored records
// refuse anything beyond it, so it never reaches a path or a program.
inline constexpr double kMaxPlausibleValue = 1e6;
// Finite and within kMaxPlausibleValue either way.
bool IsPlausibleValue(double v);
bool ParseInt(std::string_view text, std::int32_t& out);

}  // namespace zarvento
