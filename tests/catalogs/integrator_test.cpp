// The reference client against the reference's program: starting and
// configuring it, the language it keeps, asking it for a material, and a
// server that is missing, fails, crashes or hangs.
#include <gtest/gtest.h>

#include <chrono>

#include "catalogs/integrator.h"
#include "materials_test_support.h"
#include "platform/core/stored_path.h"
#include "platform/processes/host_environment.h"
#include "platform/processes/local_server.h"

namespace zarvento {
namespace {

class IntegratorTest : public test::CatalogTest {
protected:
    void SetUp() override {
        CatalogTest::SetUp();
        env.Set("XDG_CONFIG_HOME", (dir / "config").c_str());
        env.Set("LANG", "ru_RU.UTF-8");
        SetCommonProgramFilesFolder(dir / "Common Files");
        SetIntegratorLibraryFile(dir / "lib" / "libzarvento.so");
        for (const char* language : {"ru-RU", "en-US"})
            test::WriteFile(dir / "Common Files" / "DEDEV Shared" / "Localization" / language / "Dedev.Common.xml",
                            test::Items(std::string("<item id=\"Error_CommunicationWithIntegrator\">") + language +
                                        " communication</item><item id=\"Error_NotConnectedToIntegrator\">" + language +
                                        " not connected</item>"));
    }
    std::filesystem::path ConfigFile() const { return dir / "config" / "libzarvento.cfg"; }
    std::string Config() const { return ReadFileBytes(ConfigFile()).text; }
    std::string Script(const std::string& name, const std::string& text) {
        test::WriteFile(dir / name, text);
        std::filesystem::permissions(dir / name, std::filesystem::perms::owner_exec,
                                     std::filesystem::perm_options::add);
        return (dir / name).string();
    }

    test::EnvironmentScope env;
};

TEST_F(IntegratorTest, StartsTheServerAndConfiguresItOnce) {
    test::RegisterReferenceProgram();
    Integrator i;
    ASSERT_TRUE(i.InitIntegrator("", std::nullopt)) << i.ErrorText();
    EXPECT_TRUE(i.pServer);
    EXPECT_EQ(i.ErrorText(), "");
    EXPECT_EQ(i.sLocName, "libzarvento");
    EXPECT_EQ(i.sLanguage, "ru-RU");
    EXPECT_EQ(i.GetText("Error_NotConnectedToIntegrator"), "ru-RU not connected");
    // A new configuration file takes the client's localisation settings.
    EXPECT_EQ(Config(), "Folder=" + i.sLocFolder + "\nApplicationName=libzarvento\nLanguage=ru-RU\n");

    // Once the file names an application, it is left alone, and its language
    // is the one used when the caller gives none...
    WriteFileAtomic(ConfigFile(), "Folder=x\nApplicationName=libzarvento\nLanguage=en-us\n");
    Integrator again;
    ASSERT_TRUE(again.InitIntegrator("", std::nullopt));
    EXPECT_EQ(again.sLanguage, "en-US");
    EXPECT_EQ(again.GetText("Error_NotConnectedToIntegrator"), "en-US not connected");
    EXPECT_EQ(Config(), "Folder=x\nApplicationName=libzarvento\nLanguage=en-us\n");

    // ... and never replaces one the caller gives.
    Integrator explicitLanguage;
    ASSERT_TRUE(explicitLanguage.InitIntegrator("", std::string_view("ru-RU")));
    EXPECT_EQ(explicitLanguage.sLanguage, "ru-RU");
}

TEST_F(IntegratorTest, AConfigurationPathNamesTheLocalisationFile) {
    test::RegisterReferenceProgram();
    test::WriteFile(dir / "Common Files" / "DEDEV Shared" / "Localization" / "ru-RU" / "Cutter.xml",
                    test::Items("<item id=\"Error_NotConnectedToIntegrator\">cutter's own</item>"));
    Integrator i;
    const std::string config = PathToStoredText(dir / "settings") + "\\Cutter.v2.cfg";
    ASSERT_TRUE(i.InitIntegrator(config, std::nullopt)) << i.ErrorText();
    EXPECT_EQ(i.sLocName, "Cutter.v2");
    EXPECT_TRUE(std::filesystem::exists(dir / "settings" / "Cutter.v2.cfg"));

    ASSERT_TRUE(i.InitIntegrator(PathToStoredText(dir / "settings") + "\\Cutter.cfg", std::nullopt));
    EXPECT_EQ(i.GetText("Error_NotConnectedToIntegrator"), "cutter's own");
}

TEST_F(IntegratorTest, AsksTheServerForAMaterial) {
    test::RegisterReferenceProgram();
    Integrator i;
    ASSERT_TRUE(i.InitIntegrator("", std::nullopt)) << i.ErrorText();
    const AutomationObjectPtr info = i.GetMaterialInfo("steel/45");
    ASSERT_TRUE(info);
    EXPECT_EQ(CallMember(*info, "Designation").ToBStr(), "Сталь 45 ГОСТ 1050-2013");
    const AutomationObjectPtr group =
        AutomationObjectOf(CallMember(*info, "Property", {Variant::BStr("V049FC8B194FF49919867F1719AACAD4F")}));
    ASSERT_TRUE(group);
    EXPECT_EQ(CallMember(*group, "Value1").ToBStr(), "01.01");
    EXPECT_EQ(AutomationObjectOf(CallMember(*info, "Property", {Variant::BStr("Vnothing")})), nullptr);
    EXPECT_EQ(i.GetMaterialInfo("steel/none"), nullptr);
}

TEST_F(IntegratorTest, WithoutAServerNothingIsAskedAndTheLocalisedErrorIsRaised) {
    Integrator i;
    EXPECT_FALSE(i.InitIntegrator("", std::nullopt));
    EXPECT_FALSE(i.pServer);
    EXPECT_NE(i.ErrorText(), "");
    try {
        i.GetMaterialInfo("steel/45");
        FAIL() << "no exception";
    } catch (const IntegratorException& e) {
        ASSERT_EQ(e.Records().size(), 1u);
        // No server, no localisation: the texts are their keys.
        EXPECT_EQ(e.Records()[0].caption, "Error_CommunicationWithIntegrator");
        EXPECT_EQ(e.Records()[0].message, "Error_NotConnectedToIntegrator");
        EXPECT_EQ(e.Records()[0].operation, "GetMaterialInfo");
    }
    i.LoadLocalization("libzarvento", "en-US");
    try {
        i.CheckConnected("ReadMaterialProperties");
        FAIL() << "no exception";
    } catch (const IntegratorException& e) {
        EXPECT_EQ(e.Records()[0].caption, "en-US communication");
        EXPECT_EQ(e.Records()[0].message, "en-US not connected");
        EXPECT_EQ(e.Records()[0].operation, "ReadMaterialProperties");
    }
}

// A server that hangs is given up at the timeout (short here: a hanging
// server never answers, however busy the machine); the others fail by what
// they did, within the product's own limits.
TEST_F(IntegratorTest, AServerThatFailsCrashesOrHangsGivesFalseInBoundedTime) {
    struct Case {
        std::string commandLine;
        std::string reason;
        LocalServerTimeouts timeouts;
    };
    const LocalServerTimeouts product;
    const Case cases[] = {
        {(dir / "no-such-program").string(), "is not there", product},
        {"\"" MATERIALS_REFERENCE "\" --database \"" + (dir / "none.db").string() + "\"", "no materials database",
         product},
        {"\"" + Script("crash.sh", "#!/bin/sh\nkill -SEGV $$\n") + "\"", "ended before it was ready", product},
        {"\"" + Script("hang.sh", "#!/bin/sh\nsleep 30\n") + "\"", "no answer within 500 ms", {500, 500}},
        {"\"" + Script("hang-later.sh", "#!/bin/sh\nprintf 'READY\\n'\nsleep 30\n") + "\"",
         "no answer within 500 ms",
         {product.startMs, 500}},
        {"\"" + Script("crash-later.sh", "#!/bin/sh\nprintf 'READY\\n'\nread line\nkill -KILL $$\n") + "\"",
         "the server ended", product},
    };
    for (const Case& c : cases) {
        SetLocalServerTimeouts(c.timeouts);
        test::RegisterReferenceProgram(c.commandLine);
        Integrator i;
        EXPECT_FALSE(i.InitIntegrator("", std::nullopt)) << c.commandLine;
        EXPECT_FALSE(i.pServer);
        EXPECT_NE(i.ErrorText().find(c.reason), std::string::npos) << i.ErrorText();
    }
}

TEST_F(IntegratorTest, AConfigurationThatCannotBeStoredFailsTheStart) {
    test::RegisterReferenceProgram();
    test::WriteFile(dir / "config", "a file where the folder should be");
    Integrator i;
    EXPECT_FALSE(i.InitIntegrator("", std::nullopt));
    EXPECT_FALSE(i.pServer);
    EXPECT_NE(i.ErrorText().find("cannot be written"), std::string::npos) << i.ErrorText();
}

}  // namespace
}  // namespace zarvento
