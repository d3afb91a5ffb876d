// The texts and the parameter table of the cut-off cycle.
#include "nc/cycle_g900el.h"

namespace zarvento {

CCycle_G900EL::CCycle_G900EL() {
    gcode = "G900EL";
    cycleType = "Turning";
    cycleName = "Параметры отрезного цикла в элементарных перемещениях";
    comment =
        "Цикл формирует траекторию отрезного резца в элементарных перемещениях. Длина S берется до конечной координаты "
        "X (перебег не учитывается). Если S равно 0 или превышает общую длину пути, то KF игнорируется.";
    noteText = " * - обязательный параметр";
    AddParamInt("N", 1, " число проходов*");
    AddParamInt("T", 0, " тип отрезного цикла");
    AddListValue("с ломкой стружки");
    AddListValue("с удалением стружки");
    AddParamDouble("B", 0.0, " ширина резца, мм");
    AddParamInt("P", 0, " привязка резца");
    AddListValue("левая вершина");
    AddListValue("правая вершина");
    AddParamDouble("P1", 0.0, " пауза после вывода резца между проходами, сек");
    AddParamDouble("P2", 0.0, " время ожидания (пауза) в конце прохода, сек");
    AddParamDouble("L", 1.5, " длина отвода после прохода (если N>1), мм");
    AddParamDouble("K", 0.85, " коэффициент уменьшения глубины прохода (от 0.5 до 1)");
    AddParamDouble("S", 1.5, " длина пути в конце отрезки на уменьшенной подаче, мм");
    AddParamDouble("KF", 0.5, " коэффициент уменьшения подачи в конце отрезки (0.1 - 1)");
    AddParamDouble("faska", 0.0, " размер фаски по оси X, мм");
    AddParamDouble("angle", 0.0, " угол фаски от оси X (от 5 до 85 град.)");
}

}  // namespace zarvento
