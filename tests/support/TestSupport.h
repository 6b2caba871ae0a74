// Helpers shared by the test suites: temporary folders, files, and running programs.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace lumora::test {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return m_Path; }
    std::string File(const std::string& name) const { return (m_Path / name).string(); }

private:
    std::filesystem::path m_Path;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

struct CommandResult {
    int ExitCode = -1;
    std::string Out; // standard output
    std::string Err; // standard error
};

// Runs a shell command line, capturing both output streams.
CommandResult RunCommand(const std::string& commandLine);

// True when the program is on PATH (peer checks fail loudly when it is not).
bool HaveProgram(const std::string& name);

// The lumora command-line program built with the tests.
std::string LumoraCli();

// Sets (or, with nullopt, unsets) an environment variable for the life of a scope, then restores
// its old state.
class EnvScope {
public:
    EnvScope(const char* name, std::optional<std::string> value);
    ~EnvScope();
    EnvScope(const EnvScope&) = delete;
    EnvScope& operator=(const EnvScope&) = delete;

private:
    const char* m_Name;
    std::optional<std::string> m_Old;
};

// Quotes a path for the shell.
std::string ShellQuote(const std::string& text);

} // namespace lumora::test
