// Helpers shared by the test suites: temporary folders, files, and running programs.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace lumora::test {

// True when the CI environment variable is set (CI and .ci/run set it).
inline bool UnderCi() {
    const char* ci = std::getenv("CI");
    return ci != nullptr && *ci != '\0';
}

// Skips the test with a reason on a developer's machine that lacks what it needs; under CI the
// same lack fails the test, so a green CI run means every test really ran.
#define LUMORA_SKIP_OR_FAIL_IN_CI(reason)                                                          \
    do {                                                                                           \
        if (lumora::test::UnderCi())                                                               \
            FAIL() << "Cannot run under CI: " << (reason);                                         \
        GTEST_SKIP() << (reason);                                                                  \
    } while (false)

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
// A plot file of one section and this many stations made by "lumora gen" in dir (a failure is a
// test failure); its path.
std::string GeneratedPlot(const TempDir& dir, int stations, const std::string& name = "cave.plt");

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

// Makes every file that this process, and the programs it starts, writes end at maxBytes, as on
// a disk that fills up: a write past the limit fails with EFBIG (the signal it would raise is
// ignored). Restores the old limit and signal handling at the end of its scope.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t maxBytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    std::uint64_t m_OldSoft;
    void (*m_OldHandler)(int);
};

// The names in folder, sorted: what a failed write may have left behind.
std::vector<std::string> FolderEntries(const std::string& folder);

// Quotes a path for the shell.
std::string ShellQuote(const std::string& text);

} // namespace lumora::test
