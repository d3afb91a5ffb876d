// The cancel-cycle frame written after a turning cycle's unit frames.
#pragma once

#include "nc/cadre_iso.h"

namespace zarvento {

class CCadre_G80 : public CCadreISO {
public:
    int WriteText(std::vector<std::string>& lines, int number) override;
};

}  // namespace zarvento
