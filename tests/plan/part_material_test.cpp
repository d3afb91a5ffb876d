// The part's material read through the registered reader from the materials
// reference's program: the "MTRL." variables, the plan's stock form, and a
// reference that is missing or does not answer.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
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

// A damaged materials database changed the program without a word: four
// bytes made the hardness of Сталь 40Х 217 where the reference says 207, and
// a database that could not be opened (missing, random) let the steel table
// stand in for the reference. What the reference could not give is unknown
// now: the formulas that need it fail as for any unknown name.
TEST_F(PartMaterialTest, ValuesTheReferenceCouldNotGiveAreUnknown) {
    const std::filesystem::path good = std::filesystem::path(MATERIALS_DATA) / "materials.db";
    const std::filesystem::path damaged = folder->Path() / "damaged.db";
    const std::filesystem::path random = folder->Path() / "random.db";
    {
        // The hardness of Сталь 40Х, "207", becomes "217" in its property record.
        std::ifstream in(good, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(bytes.empty());
        const std::string location = "steel/40Х";
        const std::string hardness = "V92CBFA00C9A011D69930000021274E8E";
        std::size_t at = bytes.find(location + hardness + "207");
        ASSERT_NE(at, std::string::npos);
        bytes[at + location.size() + hardness.size() + 1] = '1';
        ASSERT_TRUE(WriteFileAtomic(damaged, bytes).ok);
        std::string noise(bytes.size(), '\0');
        for (std::size_t k = 0; k < noise.size(); ++k) noise[k] = static_cast<char>((k * 2654435761u) >> 13);
        ASSERT_TRUE(WriteFileAtomic(random, noise).ok);
    }
    const auto program = [](const std::filesystem::path& database) {
        return "\"" MATERIALS_REFERENCE "\" --database \"" + database.string() + "\"";
    };
    Run("part material=\"Сталь 40Х ГОСТ 4543-2016\" location=steel/40Х\n");
    Register(program(good));
    GetPLAN()->ReadDetailParameters(true);
    double feed = 0;
    ASSERT_TRUE(GetPLAN()->CalcFormula(feed, "MTRL.HB/1000", true));
    EXPECT_DOUBLE_EQ(feed, 0.207);

    const struct {
        std::filesystem::path database;
        std::string says;
    } cases[] = {
        {damaged, "Свойства материала не получены из справочника материалов: "},
        {random, "Не удалось установить соединение со справочником материалов"},
        {folder->Path() / "missing.db", "Не удалось установить соединение со справочником материалов"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.database.string());
        Register(program(c.database));
        MessageLog::Instance().Clear();
        GetPLAN()->ReadDetailParameters(true);
        ASSERT_EQ(Messages().size(), 2u);
        EXPECT_EQ(Messages()[1].rfind(c.says, 0), 0u) << Messages()[1];
        for (const char* name : {"MTRL.HB", "MTRL.Cr", "MTRL.MCcode", "MODEL.HB", "MODEL.SigmV", "MODEL.KVMet"})
            EXPECT_EQ(GetPLAN()->GetParameter(name), nullptr) << name;
        EXPECT_EQ(GetPLAN()->GetStringParameter("MTRL.sMCcode"), nullptr);
        EXPECT_EQ(Text("MTRL.sLocation"), "steel/40Х") << "what the part says stays";
        feed = -1;
        EXPECT_FALSE(GetPLAN()->CalcFormula(feed, "MTRL.HB/1000", true));
        // Read again from a reference that answers, the values are back.
        Register(program(good));
        GetPLAN()->ReadDetailParameters(true);
        ASSERT_TRUE(GetPLAN()->CalcFormula(feed, "MTRL.HB/1000", true));
        EXPECT_DOUBLE_EQ(feed, 0.207);
    }
    // Damage found in a record names the database and the material.
    Register(program(damaged));
    MessageLog::Instance().Clear();
    GetPLAN()->ReadDetailParameters(true);
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_NE(
        Messages()[1].find("damaged.db is damaged: the material steel/40Х has a property HB that fails its check"),
        std::string::npos)
        << Messages()[1];
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
