// A comment block: " ( text )" without a block number.
#pragma once

#include <string>

#include "nc/cadre_iso.h"

namespace zarvento {

class CCadre_Comment : public CCadreISO {
public:
    explicit CCadre_Comment(std::string commentText) : text(std::move(commentText)) {}

    int WriteText(std::vector<std::string>& lines, int number) override;
    // "_sCOMMENT": the comment, so that a template can print it.
    const std::string* GetTextVariable(std::string_view name) override { return name == "_sCOMMENT" ? &text : nullptr; }

    std::string text;
};

}  // namespace zarvento
