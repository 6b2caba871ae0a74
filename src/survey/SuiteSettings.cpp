#include "survey/SuiteSettings.h"

#include "platform/Error.h"
#include "platform/IniFile.h"
#include "platform/SettingsPaths.h"

#include <cstdlib>
#include <filesystem>

namespace lumora::survey {

namespace {

constexpr const char* kSuiteIniFile = "Quiltra32.ini";

double g_FeetToMeters = kInternationalFoot;

// The copy of the suite's INI file that holds the foot setting: the one in the suite's own
// settings folder, where the survey program keeps it, when there is one; else the bare name in
// our settings folder.
std::string UnitSettingsFile() {
    const std::string suiteCopy = SuiteSettingsFolder() + kSuiteIniFile;
    std::error_code ec;
    return std::filesystem::is_regular_file(suiteCopy, ec) ? suiteCopy : kSuiteIniFile;
}

} // namespace

double FeetToMeters() {
    return g_FeetToMeters;
}

double ReadFeetToMeters(const std::string& iniFileName) {
    try {
        const platform::IniFile ini(iniFileName);
        return ini.ReadBool("Units", "InternationalFoot", true) ? kInternationalFoot : kSurveyFoot;
    } catch (const Error&) {
        return kInternationalFoot; // an unreadable file is treated as a missing one
    }
}

void ReadUnitSettings() {
    g_FeetToMeters = kInternationalFoot;
    g_FeetToMeters = ReadFeetToMeters(UnitSettingsFile());
}

std::string SuiteSettingsFolder() {
    const char* own = std::getenv("LUMORA_CONFIG_DIR");
    const std::string base = own && *own ? platform::SettingsFolder() : platform::ConfigHome();
    const std::string folder = base + "quiltra/";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return folder;
}

} // namespace lumora::survey
