// The table of the operation's stored settings, and the copy of one of them.
#include "operations/turn_settings.h"

#include "operations/turn.h"

namespace zarvento {

namespace {

// Values 5 to 62 of the main record, in the order they are written.
const TurnSetting kSettings[] = {
    {"isAutoName", &CTurn::isAutoName},
    {"sNameTurn", &CTurn::sNameTurn},
    {"isExist", &CTurn::isExist},
    {"isExclude", &CTurn::isExclude},
    {"isUsePrevContour", &CTurn::isUsePrevContour},
    {"isPripuskW", &CTurn::isPripuskW},
    {"isPripuskS", &CTurn::isPripuskS},
    {"PripuskW", &CTurn::PripuskW},
    {"PripuskS", &CTurn::PripuskS},
    {"ClosedSposob1", &CTurn::ClosedSposob1, true},
    {"ClosedSposob2", &CTurn::ClosedSposob2, true},
    {"ClosedAngle1", &CTurn::ClosedAngle1},
    {"ClosedAngle2", &CTurn::ClosedAngle2},
    {"StepBezieW", &CTurn::StepBezieW},
    {"StepBezieS", &CTurn::StepBezieS},
    {"naprSketchW", &CTurn::naprSketchW},
    {"naprSketchS", &CTurn::naprSketchS},
    {"indShema", &CTurn::indShema},
    {"indCycle", &CTurn::indCycle},
    {"indCycleElementar", &CTurn::indCycleElementar},
    {"indNapr", &CTurn::indNapr},
    {"isShowPath", &CTurn::isShowPath},
    {"indPerehod", &CTurn::indPerehod},
    {"naprVihod", &CTurn::naprVihod},
    {"naprVozvrat", &CTurn::naprVozvrat},
    {"Vrezanie", &CTurn::Vrezanie},
    {"VrezanieSposob", &CTurn::VrezanieSposob},
    {"VrezanieAngle", &CTurn::VrezanieAngle},
    {"Perebeg", &CTurn::Perebeg},
    {"PerebegSposob", &CTurn::PerebegSposob},
    {"PerebegAngle", &CTurn::PerebegAngle},
    {"isAutoTool", &CTurn::isAutoTool},
    {"nToolPosition", &CTurn::nToolPosition},
    {"isCheckTool", &CTurn::isCheckTool},
    {"isM01", &CTurn::isM01},
    {"isM04", &CTurn::isM04},
    {"isAutoM34", &CTurn::isAutoM34},
    {"Spod", &CTurn::Spod},
    {"indSpod", &CTurn::indSpod},
    {"sSpod", &CTurn::sSpod},
    {"isVconst", &CTurn::isVconst},
    {"Nshp", &CTurn::Nshp},
    {"indNshp", &CTurn::indNshp},
    {"sNshp", &CTurn::sNshp},
    {"Vconst", &CTurn::Vconst},
    {"Nmin", &CTurn::Nmin},
    {"Nmax", &CTurn::Nmax},
    {"sVcut", &CTurn::sVcut},
    {"isCheckCooler", &CTurn::isCheckCooler},
    {"isM01end", &CTurn::isM01end},
    {"TT", &CTurn::TT},
    {"isCorrectRadius", &CTurn::isCorrectRadius},
    {"DirRcorrect", &CTurn::DirRcorrect},
    {"TypeObhod", &CTurn::TypeObhod},
    {"isCorrectLz", &CTurn::isCorrectLz},
    {"isCorrectLx", &CTurn::isCorrectLx},
    {"CorrectLz", &CTurn::CorrectLz},
    {"CorrectLx", &CTurn::CorrectLx},
};

}  // namespace

std::span<const TurnSetting> TurnSettings() { return kSettings; }

void CopyTurnSetting(CTurn& to, const CTurn& from, const TurnSetting& setting) {
    std::visit([&](auto member) { to.*member = from.*member; }, setting.member);
}

}  // namespace zarvento
