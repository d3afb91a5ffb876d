// The texts and the parameter table of the multi-pass groove cycle.
#include "nc/cycle_g701el.h"

namespace zarvento {

CCycle_G701EL::CCycle_G701EL() {
    gcode = "G701EL";
    cycleType = "Turning";
    cycleName = "Цикл многопроходной канавки";
    comment = "Цикл формирует траекторию инструмента в элементарных перемещениях";
    noteText = " * - обязательный параметр";
    AddParamDouble("P1", 3.0, " шаг прохода (глубина резания)*");
    AddParamDouble("P2", 5.0, " ширина канавочного резца*");
    AddParamInt("P3", 0, " привязка резца");
    AddListValue("левая вершина");
    AddListValue("правая вершина");
    AddParamInt("P4", 1, " корректировка шага прохода");
    AddListValue("не корректировать");
    AddListValue("корректировать по ширине канавки");
    AddParamInt("P5", 1, " холостые перемещения");
    AddListValue("на рабочей подаче");
    AddListValue("на быстром ходу");
    AddParamDouble("P6", 0.0, " время ожидания (пауза) на дне канавки, сек");
}

}  // namespace zarvento
