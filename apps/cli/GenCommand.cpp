// lumora gen is being written.
#include "Commands.h"
namespace lumora::cli {
void AddGenCommand(CLI::App&) {}
} // namespace lumora::cli
