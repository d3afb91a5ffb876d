// New GUIDs in their registry text form, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zarvento {

// Length of the text form, braces included.
inline constexpr std::size_t kGuidTextLength = 38;

// A random (version 4) GUID, upper-case hexadecimal, braces included.
std::string NewGuidText();

// True when `text` has exactly the form NewGuidText gives (any hex case).
bool IsGuidText(std::string_view text);

}  // namespace zarvento
