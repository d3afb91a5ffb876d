// The texts and the parameter table of the multi-pass turning cycle.
#include "nc/cycle_g700el.h"

namespace zarvento {

CCycle_G700EL::CCycle_G700EL() {
    gcode = "G700EL";
    cycleType = "Turning";
    cycleName = "Многопроходный цикл в элементарных перемещениях";
    comment = "Цикл формирует траекторию инструмента в элементарных перемещениях";
    noteText = " * - обязательный параметр";
    AddParamDouble("I", 1.5, " глубина резания за один проход*");
    AddParamDouble("P1", 1.5, " безопасное расстояние для отвода резца");
    AddParamInt("P2", 0, " отвод резца на безопасное расстояние");
    AddListValue("на рабочей подаче");
    AddListValue("на быстром ходу");
    AddParamInt("P3", 0, " направление подачи");
    AddListValue("продольная подача");
    AddListValue("поперечная подача");
    AddListValue("профильная подача");
    AddParamDouble("P4", 0.0, " глубина чистового прохода");
    AddParamDouble("P5", 0.0, " Nшп (об/мин) или Vрез (м/мин) на чистовом проходе");
    AddParamDouble("P6", 0.0, " подача на чистовом проходе, мм/об");
    AddParamInt("P7", 0, " способ обхода рабочего контура");
    AddListValue("не учитывать поднутрения");
    AddListValue("с учетом углов в плане fi и fi1");
    AddListValue("с учетом углов в плане (ручной ввод)");
    AddParamDouble("P8", 0.0, " главный угол в плане, гр.");
    AddParamDouble("P9", 0.0, " вспомогательный угол в плане, гр.");
    AddParamInt("P10", 0, " способ обхода чистового контура");
    AddListValue("непрерывно");
    AddListValue("сначала диаметры, потом торцы");
    AddListValue("сначала торцы, потом диаметры");
}

}  // namespace zarvento
