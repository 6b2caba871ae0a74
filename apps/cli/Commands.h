// The subcommands of the lumora program; each adds itself to the application.
#pragma once

#include <CLI/CLI.hpp>

namespace lumora::cli {

void AddInfoCommand(CLI::App& app);
void AddGenCommand(CLI::App& app);
void AddPassagesCommand(CLI::App& app);
void AddExportCommand(CLI::App& app);
// `lumora export gltf`, added by AddExportCommand.
void AddGltfCommand(CLI::App& exportCommand);
void AddRenderCommand(CLI::App& app);
void AddRoseCommand(CLI::App& app);
void AddVideoCommand(CLI::App& app);
void AddMeshCommand(CLI::App& app);
void AddSettingsCommand(CLI::App& app);

} // namespace lumora::cli
