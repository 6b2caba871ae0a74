// lumora settings: writes an exporter settings file with the exporter window's defaults.
#include "Commands.h"

#include "exporter/ExpIni.h"

#include <iostream>
#include <memory>
#include <string>

namespace lumora::cli {

void AddSettingsCommand(CLI::App& app) {
    auto file = std::make_shared<std::string>();
    CLI::App* command =
        app.add_subcommand("settings", "Write an exporter settings file (ZazoRerora.ini layout)");
    command->add_option("--write", *file, "The file to write, with every option at its default")
        ->required();
    command->callback([file] {
        exporter::SaveExportSettings(exporter::DefaultExportOptions(), *file);
        std::cout << "Wrote " << *file << '\n';
    });
}

} // namespace lumora::cli
