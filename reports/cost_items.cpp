// The six cost items' parameter tables: name, default, caption and, for a
// computed value, its formula.
#include "reports/cost_items.h"

namespace zarvento {

namespace {

void SetHeader(CCycle_Auto& item, const char* code, const char* title) {
    item.SetGCode(code);
    item.SetName(title);
    item.SetComment(title);
    item.SetType(kCostItemType);
}

// A value without a formula keeps its default, written as a number.
void Add(CCycle_Auto& item, const char* name, double value, const char* caption) {
    item.AddParamDouble(name, value, caption);
}

void Add(CCycle_Auto& item, const char* name, double value, const char* caption, const char* formula) {
    if (!item.AddParamDouble(name, value, caption)) return;
    // The expression goes to the slot just added.
    --item.paramCount;
    item.SetParamExpression(formula);
    ++item.paramCount;
}

}  // namespace

CCalculate_C1::CCalculate_C1() {
    SetHeader(*this, "С1", "Исходные данные");
    Add(*this, "Tosn", 0, " Основное время обработки детали, мин", "_TOSN");
    Add(*this, "Tvsp", 0.5, " Вспомогательное время, мин", "_TVSP");
    Add(*this, "Tsht", 0, " Штучное время, мин", "Tosn+Tvsp");
    Add(*this, "_NPAR", 500, " Размер партии, шт");
    Add(*this, "_TPZK", 30, " Подготовительно-заключительное время, мин");
    Add(*this, "Ts_k", 0, " Штучно-калькуляционное время, мин", "Tsht+_TPZK/_NPAR");
}

CCalculate_C2::CCalculate_C2() {
    SetHeader(*this, "С2", "Затраты на материал");
    Add(*this, "Mzag", 0, " Масса заготовки, кг", "_MZAG");
    Add(*this, "Mdet", 0, " Масса детали, кг", "_MDET");
    Add(*this, "Cm", 140, " Цена 1 кг материала, руб/кг", "37500/(90*90*3.14*6*_DENS/4)*1000");
    Add(*this, "Co", 18, " Цена 1 кг возвратных отходов, руб/кг");
    Add(*this, "Cmat", 0, " ИТОГО: Затраты на материал, руб", "Mzag*Cm-(Mzag-Mdet)*Co");
}

CCalculate_C3::CCalculate_C3() {
    SetHeader(*this, "С3", "Затраты на зарплату");
    Add(*this, "Ctrf", 350, " Часовая тарифная ставка рабочего, руб");
    Add(*this, "Nrab", 1, " Количество рабочих, чел");
    Add(*this, "Kprm", 1.25, " Коэффициент, учитывающий доплаты и премии");
    Add(*this, "Kdop", 0.15, " Коэффициент, учитывающий доп. заработную плату");
    Add(*this, "Ksoc", 1.305, " Коэффициент отчислений на социальные нужды");
    Add(*this, "Cosn", 0, " Основная зарплата рабочих на одно изделие, руб", "Ts_k*Ctrf*Kprm/60/Nrab");
    Add(*this, "Cdop", 0, " Дополнительная зарплата рабочих, руб", "Cosn*Kdop");
    Add(*this, "Csoc", 0, " Социальные отчисления с зарплаты, руб", "(Cosn+Cdop)*Ksoc");
    Add(*this, "Czrp", 0, " ИТОГО: Затраты на зарплату, руб", "Cosn+Cdop+Csoc");
}

CCalculate_C5::CCalculate_C5() {
    SetHeader(*this, "С5", "Затраты на оборудование");
    Add(*this, "C_ob", 11500, " Балансовая стоимость оборудования, тыс. руб");
    Add(*this, "H_ob", 10, " Годовая норма амортизации оборудования, %");
    Add(*this, "C_in", 350, " Балансовая стоимость ценного инструмента, тыс. руб");
    Add(*this, "H_in", 20, " Годовая норма амортизации ценного инструмента, %");
    Add(*this, "С_inlim", 40, " Критерий отнесения инструмента к ценному, тыс. руб");
    Add(*this, "H_vm", 15, " Норма затрат на вспомогательные материалы в год, тыс. руб");
    Add(*this, "Q_ob", 10.5, " Мощность оборудования, кВт");
    Add(*this, "C_kvt", 3.7, " Цена одного кВт·ч электроэнергии, руб");
    Add(*this, "Fd", 2070, " Действительный фонд времени работы оборудования, ч");
    Add(*this, "C_rem", 70, " Годовые затраты на текущий ремонт оборудования, тыс. руб");
    Add(*this, "A_ob", 0, " Амортизация оборудования в год, тыс. руб", "C_ob*H_ob/100");
    Add(*this, "A_in", 0, " Амортизация дорогостоящего инструмента в год, тыс. руб", "C_in*H_in/100");
    Add(*this, "C_el", 0, " Cтоимость годового расхода электроэнергии, тыс. руб", "Fd*Q_ob*C_kvt/1000");
    Add(*this, "C_ob_year", 0, " Годовые затраты на оборудование, тыс. руб", "A_ob+A_in+H_vm+C_el+C_rem");
    Add(*this, "Cobr", 0, " ИТОГО: Затраты на оборудование на одно изделие, руб", "1000*C_ob_year*Ts_k/Fd/60");
}

CCalculate_C6::CCalculate_C6() {
    SetHeader(*this, "С6", "Затраты общецеховые");
    Add(*this, "С_pm", 150, " Зарплата цехового персонала в месяц, тыс.руб");
    Add(*this, "С_ceh", 0, " Годовая зарплата цехового персонала, тыс. руб", "12*С_pm");
    Add(*this, "С_soc", 0, " Социальные отчисления с зарплаты цех. персонала, тыс. руб", "С_pm*Ksoc");
    Add(*this, "C_zrp", 0, " Годовые затраты на зарплату цехового персонала, тыс. руб", "С_ceh+С_soc");
    Add(*this, "C_FND", 250, " Годовая амортизация основных фондов, тыс. руб");
    Add(*this, "C_remFND", 75, " Годовые затраты на содерж. и ремонт осн. фондов, тыс. руб");
    Add(*this, "C_NIOKR", 35, " Годовые затраты на НИОКР и обучение персонала, тыс. руб");
    Add(*this, "C_OHR", 25, " Годовые затраты на охрану труда, тыс. руб");
    Add(*this, "F_dceh", 2070, " Действительный фонд времени работы всех станков цеха, ч", "Fd*5");
    Add(*this, "C_ceh_year", 0, " Цеховые затраты в год, тыс. руб", "C_zrp+C_FND+C_remFND+C_NIOKR+C_OHR");
    Add(*this, "Cceh", 0, " ИТОГО: Цеховые затраты на одно изделие, руб", "1000*C_ceh_year*Ts_k/F_dceh/60");
}

CCalculate_C7::CCalculate_C7() {
    SetHeader(*this, "С7", "Затраты итоговые");
    Add(*this, "Cmat_", 0, " Затраты на материал, руб", "Cmat");
    Add(*this, "Czrp_", 0, " Затраты на зарплату, руб", "Czrp");
    Add(*this, "Cins_", 0, " Затраты на инструмент, руб", "Cins");
    Add(*this, "Cobr_", 0, " Затраты на оборудование, руб", "Cobr");
    Add(*this, "Cceh_", 0, " Цеховые затраты, руб", "Cceh");
    Add(*this, "Csum", 0, " ИТОГО: Суммарные затраты на одну деталь, руб", "Cmat+Czrp+Cins+Cobr+Cceh");
    Add(*this, "CsumN", 0, " Суммарные затраты на партию деталей, тыс. руб", "Csum*_NPAR/1000");
}

}  // namespace zarvento
