// The host's answers for the Windows environment: the folders behind the
// Windows variables, the interface language from LANG, a module's file.
#include "platform/processes/host_environment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

#include "platform/processes/host_registry.h"
#include "test_support.h"

namespace zarvento {
namespace {

// Sets environment variables for one test and puts them back after it.
class EnvironmentScope {
public:
    void Set(const char* name, const char* value) {
        if (!saved_.count(name)) {
            const char* old = std::getenv(name);
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~EnvironmentScope() {
        for (const auto& [name, value] : saved_) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

class HostEnvironmentTest : public test::CleanStateTest {
protected:
    EnvironmentScope env;
};

TEST_F(HostEnvironmentTest, ApplicationDataIsTheUsersConfigurationFolder) {
    env.Set("XDG_CONFIG_HOME", "/home/u/cfg");
    env.Set("HOME", "/home/u");
    EXPECT_EQ(HostEnvironmentVariable("appdata"), "/home/u/cfg");
    EXPECT_EQ(HostEnvironmentVariable("APPDATA"), "/home/u/cfg");
    env.Set("XDG_CONFIG_HOME", "");
    EXPECT_EQ(HostEnvironmentVariable("AppData"), "/home/u/.config");
    env.Set("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(HostEnvironmentVariable("appdata"), "/home/u/.config");
}

TEST_F(HostEnvironmentTest, ProgramFoldersAreUnsetAndCommonFilesIsTheHostsSetting) {
    env.Set("ProgramFiles", "/should/not/be/read");
    EXPECT_EQ(HostEnvironmentVariable("ProgramFiles"), std::nullopt);
    EXPECT_EQ(HostEnvironmentVariable("ProgramFiles(x86)"), std::nullopt);

    EXPECT_EQ(HostEnvironmentVariable("CommonProgramFiles"), std::nullopt);
    HostRegistry::Instance().SetText(kCommonFilesKey, kCommonFilesValue, "/opt/common");
    EXPECT_EQ(HostEnvironmentVariable("commonprogramfiles"), "/opt/common");
    SetCommonProgramFilesFolder(std::filesystem::path("/srv/shared"));
    EXPECT_EQ(HostEnvironmentVariable("CommonProgramFiles"), "/srv/shared");
    SetCommonProgramFilesFolder(std::nullopt);
    EXPECT_EQ(CommonProgramFilesFolder(), std::filesystem::path("/opt/common"));

    env.Set("ZARVENTO_TEST_VARIABLE", "value");
    EXPECT_EQ(HostEnvironmentVariable("ZARVENTO_TEST_VARIABLE"), "value");
}

TEST_F(HostEnvironmentTest, TheInterfaceLanguageComesFromLang) {
    const std::pair<const char*, const char*> cases[] = {
        {"ru_RU.UTF-8", "ru-RU"}, {"en_US", "en-US"}, {"de_DE@euro", "de-DE"}, {"tr", "tr"},
        {"C", "en-US"},           {"POSIX", "en-US"}, {"", "en-US"},           {nullptr, "en-US"},
    };
    for (const auto& [lang, name] : cases) {
        env.Set("LANG", lang);
        EXPECT_EQ(UserDefaultLocaleName(), name) << (lang ? lang : "(unset)");
    }
}

TEST_F(HostEnvironmentTest, AnAddressNamesTheFileThatHoldsIt) {
    static const int here = 0;
    const std::optional<std::filesystem::path> file = ModuleFileOf(&here);
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->is_absolute());
    EXPECT_EQ(file->filename(), "test_platform");
}

}  // namespace
}  // namespace zarvento
