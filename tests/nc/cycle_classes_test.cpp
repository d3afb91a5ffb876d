// The six built-in cycles of the operations: their texts and exact parameter tables.
#include <memory>
#include <vector>

#include "geometry/line_unit.h"
#include "nc/cycle_g300el.h"
#include "nc/cycle_g310el.h"
#include "nc/cycle_g700el.h"
#include "nc/cycle_g701el.h"
#include "nc/cycle_g800el.h"
#include "nc/cycle_g900el.h"
#include "test_support.h"

namespace zarvento {
namespace {

struct Row {
    const char* name;
    char kind;
    const char* value;  // the value text the default gives
    const char* caption;
    std::vector<const char*> entries;
};

struct Table {
    std::unique_ptr<CCycle_Auto> cycle;
    const char* gcode;
    const char* type;
    const char* name;
    std::vector<Row> rows;
};

std::vector<Table> AllTables() {
    std::vector<Table> t;
    t.push_back({std::make_unique<CCycle_G800EL>(),
                 "G800EL",
                 "Drilling",
                 "Параметры стратегии в элементарных перемещениях",
                 {{"N", 'i', "3", " число проходов*", {}},
                  {"T", 'i', "1", " тип сверлильного цикла", {"с ломкой стружки", "с удалением стружки"}},
                  {"P1", 'd', "0", " пауза после вывода сверла между проходами, сек", {}},
                  {"P2", 'd', "0", " время ожидания (пауза) на дне отверстия, сек", {}},
                  {"L", 'd', "1.5", " длина отвода после прохода (если N>1), мм", {}},
                  {"K", 'd', "0.95", " коэффициент уменьшения глубины прохода (от 0.5 до 1)", {}}}});
    t.push_back(
        {std::make_unique<CCycle_G700EL>(),
         "G700EL",
         "Turning",
         "Многопроходный цикл в элементарных перемещениях",
         {{"I", 'd', "1.5", " глубина резания за один проход*", {}},
          {"P1", 'd', "1.5", " безопасное расстояние для отвода резца", {}},
          {"P2", 'i', "0", " отвод резца на безопасное расстояние", {"на рабочей подаче", "на быстром ходу"}},
          {"P3", 'i', "0", " направление подачи", {"продольная подача", "поперечная подача", "профильная подача"}},
          {"P4", 'd', "0", " глубина чистового прохода", {}},
          {"P5", 'd', "0", " Nшп (об/мин) или Vрез (м/мин) на чистовом проходе", {}},
          {"P6", 'd', "0", " подача на чистовом проходе, мм/об", {}},
          {"P7",
           'i',
           "0",
           " способ обхода рабочего контура",
           {"не учитывать поднутрения", "с учетом углов в плане fi и fi1", "с учетом углов в плане (ручной ввод)"}},
          {"P8", 'd', "0", " главный угол в плане, гр.", {}},
          {"P9", 'd', "0", " вспомогательный угол в плане, гр.", {}},
          {"P10",
           'i',
           "0",
           " способ обхода чистового контура",
           {"непрерывно", "сначала диаметры, потом торцы", "сначала торцы, потом диаметры"}}}});
    t.push_back(
        {std::make_unique<CCycle_G701EL>(),
         "G701EL",
         "Turning",
         "Цикл многопроходной канавки",
         {{"P1", 'd', "3", " шаг прохода (глубина резания)*", {}},
          {"P2", 'd', "5", " ширина канавочного резца*", {}},
          {"P3", 'i', "0", " привязка резца", {"левая вершина", "правая вершина"}},
          {"P4", 'i', "1", " корректировка шага прохода", {"не корректировать", "корректировать по ширине канавки"}},
          {"P5", 'i', "1", " холостые перемещения", {"на рабочей подаче", "на быстром ходу"}},
          {"P6", 'd', "0", " время ожидания (пауза) на дне канавки, сек", {}}}});
    t.push_back({std::make_unique<CCycle_G900EL>(),
                 "G900EL",
                 "Turning",
                 "Параметры отрезного цикла в элементарных перемещениях",
                 {{"N", 'i', "1", " число проходов*", {}},
                  {"T", 'i', "0", " тип отрезного цикла", {"с ломкой стружки", "с удалением стружки"}},
                  {"B", 'd', "0", " ширина резца, мм", {}},
                  {"P", 'i', "0", " привязка резца", {"левая вершина", "правая вершина"}},
                  {"P1", 'd', "0", " пауза после вывода резца между проходами, сек", {}},
                  {"P2", 'd', "0", " время ожидания (пауза) в конце прохода, сек", {}},
                  {"L", 'd', "1.5", " длина отвода после прохода (если N>1), мм", {}},
                  {"K", 'd', "0.85", " коэффициент уменьшения глубины прохода (от 0.5 до 1)", {}},
                  {"S", 'd', "1.5", " длина пути в конце отрезки на уменьшенной подаче, мм", {}},
                  {"KF", 'd', "0.5", " коэффициент уменьшения подачи в конце отрезки (0.1 - 1)", {}},
                  {"faska", 'd', "0", " размер фаски по оси X, мм", {}},
                  {"angle", 'd', "0", " угол фаски от оси X (от 5 до 85 град.)", {}}}});
    t.push_back({std::make_unique<CCycle_G310EL>(),
                 "G301EL",
                 "Threading",
                 "Параметры стратегии в элементарных перемещениях",
                 {{"P1", 'd', "1", " безопасное расстояние для отвода инструмента*", {}}}});
    t.push_back({std::make_unique<CCycle_G300EL>(),
                 "G300EL",
                 "Threading",
                 "Параметры стратегии в элементарных перемещениях",
                 {{"I", 'd', "0.5", " глубина резания на первом проходе*", {}},
                  {"P1",
                   'i',
                   "1",
                   " способ расчета глубины резания",
                   {"постоянная глубина на проходах", "постоянная площадь припуска"}},
                  {"P2",
                   'i',
                   "1",
                   " схема удаления материала внутри впадины",
                   {"без смещения инструмента", "со смещением инструмента"}},
                  {"P3", 'd', "1.5", " безопасное расстояние для отвода резца*", {}},
                  {"P4", 'd', "0.25", " глубина резания последнего (чистового) прохода", {}},
                  {"P5", 'i', "1", " число выглаживающих проходов с нулевой глубиной резания", {}},
                  {"P6",
                   'i',
                   "0",
                   " способ синхронизации со шпинделем",
                   {"через код синхронизации", "через остановку шпинделя"}}}});
    return t;
}

class CycleClassesTest : public test::CleanStateTest {};

TEST_F(CycleClassesTest, EachTableIsExact) {
    for (const Table& t : AllTables()) {
        const CCycle_Auto& c = *t.cycle;
        SCOPED_TRACE(t.gcode);
        EXPECT_EQ(c.gcode, t.gcode);
        EXPECT_EQ(c.cycleType, t.type);
        EXPECT_EQ(c.cycleName, t.name);
        EXPECT_EQ(c.noteText, " * - обязательный параметр");
        EXPECT_EQ(c.kindLetter, 'U');
        ASSERT_EQ(c.paramCount, static_cast<int>(t.rows.size()));
        for (std::size_t i = 0; i < t.rows.size(); ++i) {
            const Row& r = t.rows[i];
            const CycleParameter& p = c.params[i];
            SCOPED_TRACE(r.name);
            EXPECT_EQ(p.name, r.name);
            EXPECT_EQ(p.kind, r.kind);
            EXPECT_EQ(p.valueText, r.value);
            EXPECT_EQ(p.caption, r.caption);
            ASSERT_EQ(p.listCount, static_cast<int>(r.entries.size()));
            for (std::size_t k = 0; k < r.entries.size(); ++k) {
                EXPECT_EQ(p.listTexts[k], r.entries[k]);
                EXPECT_EQ(p.listValues[k], static_cast<int>(k));
                EXPECT_EQ(p.listCodes[k], static_cast<int>(k));
            }
        }
        // No mandatory kind: a caption's "*" only marks the parameter for the user.
        EXPECT_EQ(t.cycle->GetMissingParameters(), "");
    }
}

TEST_F(CycleClassesTest, DrillingValuesAfterEvaluation) {
    CCycle_G800EL drill;
    drill.CalcParameters(false);
    EXPECT_EQ(*drill.FindParameter("N"), 3.0);
    EXPECT_EQ(*drill.FindParameter("T"), 1.0);  // "с удалением стружки"
    EXPECT_DOUBLE_EQ(*drill.FindParameter("K"), 0.95);
    EXPECT_EQ(drill.FindParameter("faska"), nullptr);
}

TEST_F(CycleClassesTest, OnlyDrillingKeepsTheFeatureRecord) {
    for (const Table& t : AllTables()) {
        CCycle_Auto& c = *t.cycle;
        c.workContour = std::make_unique<Contour>();
        c.workContour->AddUnit(std::make_unique<CLineUnit>(0.0, -5.0, -20.0, -5.0));
        c.CreatePathFigure();
        const bool made = c.provider && c.provider->featureRecord;
        EXPECT_EQ(made, c.gcode == "G800EL") << c.gcode;
    }
}

}  // namespace
}  // namespace zarvento
