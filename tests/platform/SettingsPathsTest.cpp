#include "platform/SettingsPaths.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace lumora::platform {
namespace {

using test::EnvScope;
using test::TempDir;

TEST(SettingsPaths, LumoraConfigDirWinsAndIsCreatedWithATrailingSlash) {
    TempDir dir;
    EnvScope xdg("XDG_CONFIG_HOME", dir.File("xdg"));
    EnvScope own("LUMORA_CONFIG_DIR", dir.File("own/deeper"));
    EXPECT_EQ(SettingsFolder(), dir.File("own/deeper") + "/");
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("own/deeper")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("xdg")));
}

TEST(SettingsPaths, XdgConfigHomeHoldsTheLumoraFolder) {
    TempDir dir;
    EnvScope own("LUMORA_CONFIG_DIR", std::nullopt);
    EnvScope xdg("XDG_CONFIG_HOME", dir.File("xdg") + "/");
    EXPECT_EQ(SettingsFolder(), dir.File("xdg") + "/lumora/");
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("xdg/lumora")));
    EXPECT_EQ(ConfigHome(), dir.File("xdg") + "/");
}

TEST(SettingsPaths, WithoutXdgTheFolderIsUnderHomeDotConfig) {
    TempDir dir;
    EnvScope own("LUMORA_CONFIG_DIR", std::nullopt);
    EnvScope xdg("XDG_CONFIG_HOME", "relative/ignored");
    EnvScope home("HOME", dir.Path().string());
    EXPECT_EQ(SettingsFolder(), dir.File(".config/lumora/"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File(".config/lumora")));
}

TEST(SettingsPaths, OnlyBareNamesGoIntoTheSettingsFolder) {
    TempDir dir;
    EnvScope own("LUMORA_CONFIG_DIR", dir.Path().string());
    EXPECT_EQ(ResolveSettingsFile("ZazoRerora.ini"), dir.File("ZazoRerora.ini"));
    EXPECT_EQ(ResolveSettingsFile("/etc/other.ini"), "/etc/other.ini");
    EXPECT_EQ(ResolveSettingsFile("sub/other.ini"), "sub/other.ini");
}

} // namespace
} // namespace lumora::platform
