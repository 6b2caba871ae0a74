// lumora settings: writes an exporter settings file with the exporter window's defaults.
#include "Commands.h"
#include "PassageFlags.h"

#include "exporter/ExpIni.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

namespace lumora::cli {

namespace {

struct TSettingsArgs {
    std::string File;
    bool Quiet = false;
};

} // namespace

void AddSettingsCommand(CLI::App& app) {
    auto args = std::make_shared<TSettingsArgs>();
    CLI::App* command =
        app.add_subcommand("settings", "Write an exporter settings file (ZazoRerora.ini layout)");
    command
        ->add_option("--write", args->File,
                     "The file to write, with every option at its default (a path; relative to "
                     "the current folder)")
        ->required();
    AddQuietFlag(*command, args->Quiet);
    command->callback([args] {
        // A path on the command line means that path, not a file of the settings folder.
        const std::string file = std::filesystem::absolute(args->File).lexically_normal().string();
        exporter::SaveExportSettings(exporter::DefaultExportOptions(), file);
        std::cout << "Wrote " << file << '\n';
    });
}

} // namespace lumora::cli
