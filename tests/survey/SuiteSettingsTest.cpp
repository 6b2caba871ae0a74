#include "survey/SuiteSettings.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace lumora::survey {
namespace {

using test::EnvScope;
using test::TempDir;
using test::WriteFile;

// Points the settings folders at a fresh temporary folder for the life of a test.
class SettingsScope {
public:
    ~SettingsScope() {
        // Back to the international foot for the tests that follow, without the user's files.
        std::filesystem::remove_all(m_Dir.File("lumora"));
        std::filesystem::remove_all(m_Dir.File("xdg"));
        ReadUnitSettings();
    }
    // The bare-name copy of a settings file, in the program's settings folder.
    std::string Own(const std::string& name) const { return m_Dir.File("lumora/" + name); }
    std::string Suite(const std::string& name) const { return SuiteSettingsFolder() + name; }

private:
    TempDir m_Dir;
    EnvScope m_Own{"LUMORA_CONFIG_DIR", m_Dir.File("lumora")};
    EnvScope m_Xdg{"XDG_CONFIG_HOME", m_Dir.File("xdg")};
};

TEST(SuiteSettings, WithoutTheSuiteFileTheFootIsInternational) {
    SettingsScope scope;
    ReadUnitSettings();
    EXPECT_EQ(FeetToMeters(), 0.3048);
}

TEST(SuiteSettings, SurveyFootTurnsThousandFeetInto304Point800609601Metres) {
    SettingsScope scope;
    std::filesystem::create_directories(scope.Own(""));
    WriteFile(scope.Own("Quiltra32.ini"), "[Units]\nInternationalFoot=0\n");
    ReadUnitSettings();
    EXPECT_EQ(FeetToMeters(), 0.304800609601);
    EXPECT_DOUBLE_EQ(1000.0 * FeetToMeters(), 304.800609601);
}

TEST(SuiteSettings, SectionAndKeyCompareWithoutCaseAndAcceptWords) {
    SettingsScope scope;
    std::filesystem::create_directories(scope.Own(""));
    WriteFile(scope.Own("Quiltra32.ini"), "[UNITS]\r\ninternationalfoot = False\r\n");
    EXPECT_EQ(ReadFeetToMeters("Quiltra32.ini"), kSurveyFoot);
    WriteFile(scope.Own("Quiltra32.ini"), "[Units]\nInternationalFoot=1\n");
    EXPECT_EQ(ReadFeetToMeters("Quiltra32.ini"), kInternationalFoot);
    WriteFile(scope.Own("Quiltra32.ini"), "[Units]\nInternationalFoot=maybe\n");
    EXPECT_EQ(ReadFeetToMeters("Quiltra32.ini"), kInternationalFoot);
}

TEST(SuiteSettings, TheSuiteFoldersCopyTakesPrecedence) {
    SettingsScope scope;
    std::filesystem::create_directories(scope.Own(""));
    WriteFile(scope.Own("Quiltra32.ini"), "[Units]\nInternationalFoot=1\n");
    WriteFile(scope.Suite("Quiltra32.ini"), "[Units]\nInternationalFoot=0\n");
    ReadUnitSettings();
    EXPECT_EQ(FeetToMeters(), kSurveyFoot);
}

TEST(SuiteSettings, AnUnreadableFileLeavesTheInternationalFoot) {
    SettingsScope scope;
    std::filesystem::create_directories(scope.Own("Quiltra32.ini")); // a folder, not a file
    ReadUnitSettings();
    EXPECT_EQ(FeetToMeters(), kInternationalFoot);
}

TEST(SuiteSettings, SuiteFolderFollowsTheConfigurationFolders) {
    TempDir dir;
    {
        EnvScope xdg("XDG_CONFIG_HOME", dir.Path().string());
        EnvScope own("LUMORA_CONFIG_DIR", "");
        EXPECT_EQ(SuiteSettingsFolder(), dir.File("quiltra/"));
        EXPECT_TRUE(std::filesystem::is_directory(dir.File("quiltra")));
    }
    EnvScope own("LUMORA_CONFIG_DIR", dir.File("own"));
    EXPECT_EQ(SuiteSettingsFolder(), dir.File("own/quiltra/"));
}

} // namespace
} // namespace lumora::survey
