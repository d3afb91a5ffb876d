// Variant: the value type of host calls and document records, with the type
// changes the readers rely on (number <-> text, integer <-> real, bool), and
// arrays of reals, integers, Variants, texts and host objects that carry their
// dimensions and lower bounds as the host's arrays do.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/host_object.h"

namespace zarvento {

enum class VarType : std::uint16_t {
    Empty = 0,
    I4 = 3,
    R8 = 5,
    BStr = 8,
    Dispatch = 9,
    Bool = 11,
    Int = 22,
    // Arrays: the array flag 0x2000 with the element type.
    Array = 0x200C,  // of Variants
    ArrayI4 = 0x2003,
    ArrayR8 = 0x2005,
    ArrayBStr = 0x2008,
    ArrayDispatch = 0x2009,
};

const char* VarTypeName(VarType t);
inline constexpr bool IsArrayType(VarType t) { return (static_cast<std::uint16_t>(t) & 0x2000) != 0; }

class SafeArray;

class Variant {
public:
    Variant() = default;
    static Variant I4(std::int32_t v);
    static Variant Int(std::int32_t v);
    static Variant R8(double v);
    static Variant Bool(bool v);
    static Variant BStr(std::string utf8);
    static Variant Dispatch(HostObjectPtr obj);
    // One-dimensional arrays with lower bound 0.
    static Variant Array(std::vector<Variant> items);
    static Variant ArrayOfI4(std::vector<std::int32_t> items);
    static Variant ArrayOfR8(std::vector<double> items);
    static Variant ArrayOfBStr(std::vector<std::string> items);
    static Variant ArrayOfDispatch(std::vector<HostObjectPtr> items);
    // Any array, its type from its elements.
    static Variant FromSafeArray(SafeArray array);

    VarType Type() const { return type_; }
    bool IsEmpty() const { return type_ == VarType::Empty; }

    // Direct access; a wrong kind raises HostError(DISP_E_TYPEMISMATCH).
    std::int32_t AsI4() const;
    double AsR8() const;
    bool AsBool() const;
    const std::string& AsBStr() const;
    const HostObjectPtr& AsDispatch() const;
    // The elements of an array of Variants.
    const std::vector<Variant>& AsArray() const;
    // Any array with its dimensions.
    const SafeArray& AsSafeArray() const;

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
    // Arrays are shared between copies: a made array is never changed.
    std::variant<std::monostate, std::int32_t, double, bool, std::string, HostObjectPtr,
                 std::shared_ptr<const SafeArray>>
        value_;
};

// The elements of an array Variant and its shape: per dimension the element
// count and the lower bound; the elements lie in the host's order (the first
// index fastest), their count the product of the dimensions' counts.
struct ArrayBound {
    std::int32_t count = 0;
    std::int32_t lowerBound = 0;
    friend bool operator==(const ArrayBound&, const ArrayBound&) = default;
};

class SafeArray {
public:
    using Elements = std::variant<std::vector<Variant>, std::vector<std::int32_t>, std::vector<double>,
                                  std::vector<std::string>, std::vector<HostObjectPtr>>;

    // One dimension of the elements' count, lower bound 0.
    explicit SafeArray(Elements elements);
    // Given dimensions; E_INVALIDARG when none are given, a count is negative
    // or the counts' product is not the elements' count.
    SafeArray(Elements elements, std::vector<ArrayBound> bounds);

    // The array type of the Variant holding it (VarType::ArrayR8, ...).
    VarType Type() const;
    std::size_t Dimensions() const { return bounds_.size(); }
    const std::vector<ArrayBound>& Bounds() const { return bounds_; }
    std::size_t Count() const;
    const Elements& Items() const { return elements_; }

    friend bool operator==(const SafeArray&, const SafeArray&) = default;

private:
    Elements elements_;
    std::vector<ArrayBound> bounds_;
};

// Locale-free number text, shortest form that reads back to the same double.
std::string FormatDouble(double v);
// Locale-free parse of the whole text; false on any garbage.
bool ParseDouble(std::string_view text, double& out);
bool ParseInt(std::string_view text, std::int32_t& out);

}  // namespace zarvento
