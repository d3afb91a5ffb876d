// CCadreCode: the base of the frame kinds whose built-in text is one fixed
// code after the block number, or that write only through their template.
#pragma once

#include <string>

#include "nc/cadre_iso.h"

namespace zarvento {

class CCadreCode : public CCadreISO {
public:
    // A null code makes a template-only kind: without its template it writes
    // nothing and keeps the number.
    CCadreCode(const char* templateName, const char* code, bool zeroLinesWithoutTemplate = false)
        : templateName_(templateName), code_(code), zeroLines_(zeroLinesWithoutTemplate) {}

    int WriteText(std::vector<std::string>& lines, int number) override;
    int GetPositionCount() const override;

protected:
    // The code written after the block number; the fixed one unless a kind reads a setting.
    virtual std::string BuiltInCode() const { return code_ != nullptr ? code_ : ""; }
    bool HasBuiltInText() const { return code_ != nullptr; }

private:
    const char* templateName_;
    const char* code_;
    bool zeroLines_;
};

}  // namespace zarvento
