// The statement grammar of the machine-cycle section of VERSION "17" and
// "18" descriptions: CYCLE, PARAM, value, CODE, PRINT, TABLE, ... statements.
#pragma once

#include <string>
#include <string_view>

#include "nc/cadre_cycle.h"
#include "nc/cycle_parameter.h"

namespace zarvento {

class CPostProcessor;

// Messages of the parser; "%s" stands for the statement's keyword, the
// cycle's code, the parameter's name or the table's name, in order.
inline constexpr const char* kCycleArgumentCountError =
    "Ошибка постпроцессора.\nФункция %s должна содержать минимум 3 значения";
inline constexpr const char* kParamArgumentCountError =
    "Ошибка постпроцессора в цикле %s.\nФункция PARAM должна содержать минимум 3 значения";
// A cycle holds kMaxParameters parameters and a parameter kMaxListEntries
// values: a further one is refused whole, and values that follow a refused
// PARAM go with it.
inline const std::string kTooManyParametersError = "Ошибка постпроцессора в цикле %s.\nЦикл может содержать не более " +
                                                   std::to_string(CCadreCycle::kMaxParameters) +
                                                   " параметров, параметр %s пропущен";
inline const std::string kTooManyValuesError =
    "Ошибка постпроцессора в цикле %s.\nПараметр %s может содержать не более " +
    std::to_string(CycleParameter::kMaxListEntries) + " значений, значение %s пропущено";
// A named table needs a row of column keys and at least one data row before
// select_from_table can look anything up in it.
inline constexpr const char* kTableWithoutDataError = "Ошибка постпроцессора.\nТаблица %s не содержит строк данных";

// Reads the section (from "BEGIN_MACHINE_CYCLES" up to, not including,
// "END_MACHINE_CYCLES") into the post-processor's definitions and tables and
// the process-wide frame templates, address words and table list. The
// description reader has emptied all of them before. Only a VERSION "18"
// description has templates, address words, formats and tables.
void ParseCycleDefinition(CPostProcessor& post, std::string_view section);

}  // namespace zarvento
