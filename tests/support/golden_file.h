// Golden files: a computed text compared with its reference file under the
// fixtures folder. On a mismatch the computed text is written beside the
// reference as <name>.out, to be reviewed with diff and moved over the
// reference when the change is right; ZARVENTO_UPDATE_GOLDEN=1 rewrites the
// references themselves (review them with git diff before committing).
#pragma once

#include <source_location>
#include <string>

namespace zarvento::test {

// The environment variable that rewrites the references.
inline constexpr const char* kUpdateGoldenVariable = "ZARVENTO_UPDATE_GOLDEN";

// Fails the test at the caller's line when the text differs from the
// reference at `relative` below the fixtures folder, naming the first line
// that differs and the .out file; a match removes an old .out file.
void ExpectGolden(const std::string& relative, const std::string& text,
                  std::source_location where = std::source_location::current());

}  // namespace zarvento::test
