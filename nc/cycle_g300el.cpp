// The texts and the parameter table of the chisel threading cycle.
#include "nc/cycle_g300el.h"

namespace zarvento {

CCycle_G300EL::CCycle_G300EL() {
    gcode = "G300EL";
    cycleType = "Threading";
    cycleName = "Параметры стратегии в элементарных перемещениях";
    comment =
        "Цикл формирует траекторию резьбового резца в элементарных перемещениях. Чтобы использовать один проход, "
        "задайте глубину резания на первом проходе равной глубине резьбы.";
    noteText = " * - обязательный параметр";
    AddParamDouble("I", 0.5, " глубина резания на первом проходе*");
    AddParamInt("P1", 1, " способ расчета глубины резания");
    AddListValue("постоянная глубина на проходах");
    AddListValue("постоянная площадь припуска");
    AddParamInt("P2", 1, " схема удаления материала внутри впадины");
    AddListValue("без смещения инструмента");
    AddListValue("со смещением инструмента");
    AddParamDouble("P3", 1.5, " безопасное расстояние для отвода резца*");
    AddParamDouble("P4", 0.25, " глубина резания последнего (чистового) прохода");
    AddParamInt("P5", 1, " число выглаживающих проходов с нулевой глубиной резания");
    AddParamInt("P6", 0, " способ синхронизации со шпинделем");
    AddListValue("через код синхронизации");
    AddListValue("через остановку шпинделя");
}

}  // namespace zarvento
