#include "support/TestSupport.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace lumora::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    m_Path = fs::temp_directory_path() /
             ("lumora-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::remove_all(m_Path);
    fs::create_directories(m_Path);
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(m_Path, ec);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string ShellQuote(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

CommandResult RunCommand(const std::string& commandLine) {
    TempDir dir;
    const std::string errFile = dir.File("stderr");
    const std::string full = "(" + commandLine + ") 2>" + ShellQuote(errFile);
    CommandResult result;
    FILE* pipe = ::popen(full.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("cannot run " + commandLine);
    std::array<char, 65536> buffer;
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        result.Out.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.Err = ReadFile(errFile);
    return result;
}

FileSizeLimit::FileSizeLimit(std::uint64_t maxBytes) {
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    m_OldSoft = limit.rlim_cur;
    m_OldHandler = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = maxBytes;
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
        throw std::runtime_error("cannot limit the size of files");
}

FileSizeLimit::~FileSizeLimit() {
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = m_OldSoft;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, m_OldHandler);
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool HaveProgram(const std::string& name) {
    return RunCommand("command -v " + ShellQuote(name) + " >/dev/null").ExitCode == 0;
}

std::string LumoraCli() {
    return LUMORA_CLI;
}

std::string GeneratedPlot(const TempDir& dir, int stations, const std::string& name) {
    const std::string file = dir.File(name);
    const CommandResult gen = RunCommand(LumoraCli() + " gen --sections 1 --stations " +
                                         std::to_string(stations) + " -o " + ShellQuote(file));
    EXPECT_EQ(gen.ExitCode, 0) << gen.Err;
    return file;
}

EnvScope::EnvScope(const char* name, std::optional<std::string> value) : m_Name(name) {
    if (const char* old = std::getenv(name))
        m_Old = old;
    if (value)
        ::setenv(name, value->c_str(), 1);
    else
        ::unsetenv(name);
}

EnvScope::~EnvScope() {
    if (m_Old)
        ::setenv(m_Name, m_Old->c_str(), 1);
    else
        ::unsetenv(m_Name);
}

} // namespace lumora::test
