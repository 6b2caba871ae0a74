// Fuzz target: the INI file reader and the exporter's settings on an arbitrary settings file, with
// both decimal separators, then written back and read again.
#include "FuzzSupport.h"

#include "exporter/ExpIni.h"
#include "platform/Error.h"
#include "platform/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumora;
    const std::string file = fuzz::Scratch().File("ZazoRerora.ini");
    const std::string copy = fuzz::Scratch().File("copy.ini");
    fuzz::Scratch().Clear();
    fuzz::WriteBytes(file, data, size);
    try {
        const platform::IniFile ini(file);
        for (const std::string& section : ini.ReadSections())
            for (const std::string& key : ini.ReadSection(section)) {
                ini.ReadInteger(section, key, 0);
                ini.ReadBool(section, key, false);
                ini.ReadFloat(section, key, 0.0, ',');
                ini.ReadString(section, key, "");
            }
    } catch (const Error&) {
    }
    for (char separator : {'.', ','}) {
        exporter::TExportOptions options = exporter::DefaultExportOptions();
        try {
            exporter::RestoreExportSettings(options, file, separator);
            exporter::SaveExportSettings(options, copy, separator);
            exporter::RestoreExportSettings(options, copy, separator);
        } catch (const Error&) {
        }
    }
    return 0;
}
