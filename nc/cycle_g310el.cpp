// The texts and the parameter table of the tap or die threading cycle.
#include "nc/cycle_g310el.h"

namespace zarvento {

CCycle_G310EL::CCycle_G310EL() {
    gcode = "G301EL";
    cycleType = "Threading";
    cycleName = "Параметры стратегии в элементарных перемещениях";
    comment = "Цикл формирует траекторию инструмента в элементарных перемещениях";
    noteText = " * - обязательный параметр";
    AddParamDouble("P1", 1.0, " безопасное расстояние для отвода инструмента*");
}

}  // namespace zarvento
