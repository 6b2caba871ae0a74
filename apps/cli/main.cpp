// lumora: the command-line face of Lumora (info, gen, and the other subcommands).
#include "Commands.h"
#include "PassageFlags.h"

#include "platform/Error.h"
#include "platform/HugePages.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    lumora::platform::PreferHugePages(argv);
    CLI::App app{"Lumora: plot files of cave surveys on the command line"};
    app.formatter(lumora::cli::MakeHelpFormatter()); // before the subcommands, which copy it
    app.require_subcommand(1);
    lumora::cli::AddInfoCommand(app);
    lumora::cli::AddGenCommand(app);
    lumora::cli::AddPassagesCommand(app);
    lumora::cli::AddExportCommand(app);
    lumora::cli::AddRenderCommand(app);
    lumora::cli::AddRoseCommand(app);
    lumora::cli::AddVideoCommand(app);
    lumora::cli::AddMeshCommand(app);
    lumora::cli::AddSettingsCommand(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    } catch (const std::exception& e) {
        std::cerr << "lumora: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
