// A comment block: " ( text )" without a block number.
#pragma once

#include <string>

#include "nc/cadre_iso.h"

namespace zarvento {

class CCadre_Comment : public CCadreISO {
public:
    explicit CCadre_Comment(std::string commentText) : text(std::move(commentText)) {}

    int WriteText(std::vector<std::string>& lines, int number) override;

    std::string text;
};

}  // namespace zarvento
