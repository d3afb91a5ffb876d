// The texts and the parameter table of the drilling cycle.
#include "nc/cycle_g800el.h"

namespace zarvento {

CCycle_G800EL::CCycle_G800EL() {
    gcode = "G800EL";
    cycleType = "Drilling";
    cycleName = "Параметры стратегии в элементарных перемещениях";
    comment = "Цикл формирует траекторию сверла в элементарных перемещениях";
    noteText = " * - обязательный параметр";
    AddParamInt("N", 3, " число проходов*");
    AddParamInt("T", 1, " тип сверлильного цикла");
    AddListValue("с ломкой стружки");
    AddListValue("с удалением стружки");
    AddParamDouble("P1", 0.0, " пауза после вывода сверла между проходами, сек");
    AddParamDouble("P2", 0.0, " время ожидания (пауза) на дне отверстия, сек");
    AddParamDouble("L", 1.5, " длина отвода после прохода (если N>1), мм");
    AddParamDouble("K", 0.95, " коэффициент уменьшения глубины прохода (от 0.5 до 1)");
}

}  // namespace zarvento
