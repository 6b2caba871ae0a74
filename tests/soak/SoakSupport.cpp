#include "SoakSupport.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace lumora::test {

long ResidentKb() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr)
        return -1;
    long kb = -1;
    char line[256];
    while (std::fgets(line, sizeof line, status) != nullptr)
        if (std::sscanf(line, "VmRSS: %ld kB", &kb) == 1)
            break;
    std::fclose(status);
    return kb;
}

std::map<int, std::string> OpenFiles() {
    std::map<int, std::string> files;
    const std::string listing = "/proc/" + std::to_string(::getpid()) + "/fd";
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        const std::string target = std::filesystem::read_symlink(entry.path(), ec).string();
        if (!ec && target != listing) // the listing's own descriptor
            files[std::stoi(entry.path().filename().string())] = target;
    }
    return files;
}

std::string NewEntries(const std::map<int, std::string>& before,
                       const std::map<int, std::string>& after, const std::string& ignored) {
    std::string text;
    for (const auto& [fd, target] : after)
        if (auto old = before.find(fd);
            target != ignored && (old == before.end() || old->second != target))
            text += std::to_string(fd) + " -> " + target + "\n";
    return text;
}

} // namespace lumora::test
