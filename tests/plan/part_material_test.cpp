// The part's material read through the registered reader from the materials
// reference's program: the "MTRL." variables, the plan's stock form, and a
// reference that is missing or does not answer.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <optional>

#include "catalogs/integrator.h"
#include "catalogs/integrator_ex.h"
#include "nc/materials_reference.h"
#include "plan/command_script.h"
#include "plan/part_model_services.h"
#include "plan/synchronization.h"
#include "plan_test_support.h"
#include "platform/core/messages.h"
#include "platform/core/text_file.h"
#include "platform/part_model.h"
#include "platform/processes/component_registry.h"
#include "platform/processes/local_server.h"

namespace zarvento {
namespace {

class PartMaterialTest : public test::PlanTest {
protected:
    void SetUp() override {
        PlanTest::SetUp();
        const char* config = std::getenv("XDG_CONFIG_HOME");
        savedConfig = config ? std::optional<std::string>(config) : std::nullopt;
        ::setenv("XDG_CONFIG_HOME", (folder->Path() / "config").c_str(), 1);
        SetIntegratorLibraryFile(folder->Path() / "libzarvento.so");
        previousReference = RegisterMaterialsReference(nullptr);
        previousStock = RegisterStockFormSource(nullptr);
        RegisterPartModelServices();
    }
    void TearDown() override {
        RegisterMaterialsReference(previousReference);
        RegisterStockFormSource(previousStock);
        if (savedConfig)
            ::setenv("XDG_CONFIG_HOME", savedConfig->c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
        PlanTest::TearDown();
    }
    static void Register(const std::string& commandLine) {
        ClassRegistration entry;
        entry.clsid = Integrator::kServerClassId;
        entry.typeName = "Материалы и Сортаменты";
        entry.localServer = commandLine;
        ComponentRegistry::RegisterClass(entry);
    }
    static std::string Program() {
        return "\"" MATERIALS_REFERENCE "\" --database \"" MATERIALS_DATA "/materials.db\"";
    }
    static void Run(const std::string& script) { CommandScript().Run(script); }
    static double Number(const std::string& name) {
        const double* v = GetPLAN()->GetParameter(name);
        return v ? *v : -1;
    }
    static std::string Text(const std::string& name) {
        const std::string* t = GetPLAN()->GetStringParameter(name);
        return t ? *t : "(none)";
    }

    std::optional<std::string> savedConfig;
    MaterialsReferenceFactory previousReference = nullptr;
    StockFormSource previousStock = nullptr;
};

TEST_F(PartMaterialTest, TheMaterialsVariablesAnswerFromTheReference) {
    Register(Program());
    Run("part material=\"Сталь 12Х18Н10Т ГОСТ 5632-2014\" location=stainless/12Х18Н10Т density=7.92\n");
    GetPLAN()->ReadDetailParameters(true);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Считывание свойств материала: Сталь 12Х18Н10Т ГОСТ 5632-2014"});
    EXPECT_EQ(Text("MTRL.sMCcode"), "M1.3.Z.AQ");
    EXPECT_EQ(Text("MTRL.sGroup"), "04.01");
    EXPECT_EQ(Text("MTRL.sLocation"), "stainless/12Х18Н10Т");
    EXPECT_EQ(Text("MTRL.sGOST"), "ГОСТ 5632-2014");
    EXPECT_DOUBLE_EQ(Number("MTRL.Cr"), 18);
    EXPECT_DOUBLE_EQ(Number("MTRL.Ti"), 0.65);
    EXPECT_DOUBLE_EQ(Number("MTRL.HB"), 179);
    EXPECT_DOUBLE_EQ(Number("MTRL.Density"), 7.92);
    EXPECT_EQ(Text("MODEL.sMCcode"), "M1.3.Z.AQ");
    EXPECT_DOUBLE_EQ(Number("MODEL.MCcode"), 213);
    EXPECT_DOUBLE_EQ(Number("MODEL.SigmV"), 510);
    EXPECT_DOUBLE_EQ(Number("MODEL.KVMet"), 1.47);
    double result = 0;
    ASSERT_TRUE(GetPLAN()->CalcFormula(result, "MTRL.Cr + MTRL.Ni", true));
    EXPECT_DOUBLE_EQ(result, 28);
}

TEST_F(PartMaterialTest, ACastStockOfThePlanMakesACastCode) {
    Register(Program());
    GetSPID()->nSposobStock = 3;
    Run("part material=\"Сталь 40Х ГОСТ 4543-2016\" location=steel/40Х\n");
    GetPLAN()->ReadDetailParameters(true);
    EXPECT_EQ(Text("MTRL.sMCcode"), "P2.6.C.UT");
    EXPECT_DOUBLE_EQ(Number("MODEL.GrGOST4543"), 1);  // the steel table still answers for a GOST 4543 grade
}

// The document is read again: the material is classified by the stock form
// the plan keeps, not by the default of plan data not yet read.
TEST_F(PartMaterialTest, ASynchronisationClassifiesByTheStoredStockForm) {
    Register(Program());
    AddProfile(test::SteppedShaft(80, 20));
    CSPID* spid = GetSPID();
    spid->pLSC = part->AddLocalCoordinateSystem("ЛСК-1", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
    spid->nSposobStock = 3;
    spid->Save_LSC_CNC();
    spid->Save_SPID();
    Run("part material=\"Сталь 40Х ГОСТ 4543-2016\" location=steel/40Х\n");
    DoSynchronizationData(*GetPLAN());
    EXPECT_EQ(GetSPID()->nSposobStock, 3);
    EXPECT_EQ(Text("MTRL.sMCcode"), "P2.6.C.UT");
}

TEST_F(PartMaterialTest, AReferenceThatIsMissingOrDoesNotAnswerIsReportedInBoundedTime) {
    SetLocalServerTimeouts({300, 300});
    const std::filesystem::path hang = folder->Path() / "hang.sh";
    ASSERT_TRUE(WriteFileAtomic(hang, "#!/bin/sh\nsleep 30\n").ok);
    std::filesystem::permissions(hang, std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
    Run("part material=\"Сталь 45\" location=steel/45\n");
    for (const std::optional<std::string>& commandLine : {std::optional<std::string>(), std::optional(hang.string())}) {
        if (commandLine) Register(*commandLine);
        MessageLog::Instance().Clear();
        EXPECT_FALSE(GetPLAN()->ReadMaterial(*TopPart(part)));
        EXPECT_EQ(Messages(),
                  (std::vector<std::string>{"Считывание свойств материала: Сталь 45",
                                            "Не удалось установить соединение со справочником материалов"}));
        EXPECT_EQ(Entries()[1].caption, "Orbisel");
    }
}

}  // namespace
}  // namespace zarvento
