#include "platform/SettingsPaths.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace lumora::platform {

namespace {

// The value of an environment variable; empty when unset.
std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string WithTrailingSlash(std::string path) {
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

// The user's home folder: $HOME, else the password database's entry, else the current folder.
std::string HomeFolder() {
    std::string home = Env("HOME");
    if (!home.empty())
        return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return ".";
}

} // namespace

std::string ConfigHome() {
    const std::string xdg = Env("XDG_CONFIG_HOME");
    if (!xdg.empty() && xdg.front() == '/')
        return WithTrailingSlash(xdg);
    return WithTrailingSlash(HomeFolder()) + ".config/";
}

std::string SettingsFolder() {
    std::string folder = Env("LUMORA_CONFIG_DIR");
    folder = folder.empty() ? ConfigHome() + "lumora/" : WithTrailingSlash(folder);
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return folder;
}

std::string ResolveSettingsFile(const std::string& name) {
    if (name.find('/') != std::string::npos)
        return name;
    return SettingsFolder() + name;
}

} // namespace lumora::platform
