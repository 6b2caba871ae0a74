#include "platform/SafeFile.h"

#include "platform/Error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace lumora::platform {

namespace fs = std::filesystem;

namespace {

std::optional<std::string> KindProblem(const struct stat& info) {
    if (S_ISDIR(info.st_mode))
        return "Is a directory";
    if (!S_ISREG(info.st_mode))
        return "Not a regular file";
    return std::nullopt;
}

// The folder a new file at path goes into ("." for a bare name).
fs::path FolderOf(const fs::path& path) {
    const fs::path folder = path.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

// The file a write replaces: the target of a symbolic link (so the link stays a link).
std::string RenameTarget(const std::string& path) {
    std::error_code ec;
    if (!fs::is_symlink(path, ec))
        return path;
    const fs::path resolved = fs::weakly_canonical(path, ec);
    return ec ? path : resolved.string();
}

// Permissions of a new file: 0666 less the process's umask.
mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

std::optional<std::string> TargetProblem(const std::string& path) {
    if (path.empty())
        return "No file name";
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0)
        return KindProblem(info);
    if (errno != ENOENT)
        return std::string(std::strerror(errno));
    const fs::path folder = FolderOf(path);
    if (::stat(folder.c_str(), &info) != 0)
        return "The folder " + folder.string() + " does not exist";
    if (!S_ISDIR(info.st_mode))
        return folder.string() + " is not a folder";
    return std::nullopt;
}

std::optional<std::string> NotRegularReason(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return std::string(std::strerror(errno));
    return KindProblem(info);
}

TSafeFile::TSafeFile(std::string target) : m_Target(std::move(target)) {
    if (const auto problem = TargetProblem(m_Target))
        throw WriteError(m_Target + ": " + *problem);
    m_RenameTo = RenameTarget(m_Target);
    fs::path temp = m_RenameTo;
    temp += ".XXXXXX";
    std::string name = temp.string();
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        Fail(errno);
    m_Fd = fd;
    m_TempPath = std::move(name);
}

TSafeFile::~TSafeFile() {
    Discard();
}

void TSafeFile::Fail(int error) const {
    throw WriteError(m_Target + ": " + std::strerror(error));
}

void TSafeFile::Write(std::string_view bytes) {
    if (m_Fd < 0)
        Fail(EBADF);
    while (!bytes.empty()) {
        const ssize_t n = ::write(m_Fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            Fail(n < 0 ? errno : ENOSPC);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

void TSafeFile::Commit() {
    if (m_Fd < 0)
        Fail(EBADF);
    struct stat old {};
    const mode_t mode =
        ::stat(m_RenameTo.c_str(), &old) == 0 ? (old.st_mode & 07777) : NewFileMode();
    int error = 0;
    if (::fchmod(m_Fd, mode) != 0 || ::fsync(m_Fd) != 0)
        error = errno;
    const int fd = m_Fd;
    m_Fd = -1;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(m_TempPath.c_str(), m_RenameTo.c_str()) != 0)
        error = errno;
    if (error != 0) {
        Discard();
        Fail(error);
    }
    m_TempPath.clear();
}

void TSafeFile::Discard() noexcept {
    if (m_Fd >= 0)
        ::close(m_Fd);
    m_Fd = -1;
    if (!m_TempPath.empty())
        ::unlink(m_TempPath.c_str());
    m_TempPath.clear();
}

void WriteFileContents(const std::string& target, std::string_view bytes) {
    TSafeFile file(target);
    file.Write(bytes);
    file.Commit();
}

void WriteFileThrough(const std::string& target,
                      const std::function<bool(const std::string& tempPath)>& write,
                      const std::string& reason) {
    TSafeFile file(target);
    if (!write(file.TempPath()))
        throw WriteError(target + ": " + reason);
    // The writer closed its own descriptor: flush what it wrote through a fresh one.
    const int fd = ::open(file.TempPath().c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        file.Fail(error);
    }
    ::close(fd);
    file.Commit();
}

} // namespace lumora::platform
