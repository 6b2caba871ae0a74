// Files written whole or not at all: a writer fills a temporary file beside its target, and the
// target is replaced only once everything reached the disk, so a failed write never leaves a
// truncated file behind nor loses the good file it was to replace.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace lumora::platform {

// Why path cannot be the target of a file write, or nothing when it can: it names a folder, a
// device or another file that is not a regular file, or its folder does not exist. A missing file
// in an existing folder, a regular file and a symbolic link to one are fine. Never throws.
std::optional<std::string> TargetProblem(const std::string& path);

// Why the open file descriptor fd cannot be read as a file ("Is a directory", "Not a regular
// file"), or nothing when it is a regular file. Readers call it right after opening, so that a
// device such as /dev/zero is refused instead of read for ever. Never throws.
std::optional<std::string> NotRegularReason(int fd);

// One file being written in place of Target(): the bytes go into a new temporary file in the
// target's folder ("NAME.XXXXXX"); Commit flushes it to the disk and renames it over the target,
// which keeps the permissions of the file it replaces (a new file gets 0666 less the umask). A
// symbolic link stays a link: the file it points to is replaced. An object destroyed without a
// successful Commit removes its temporary file and leaves the target as it was. Every failure
// throws lumora::WriteError "TARGET: reason", naming the target, never the temporary file.
class TSafeFile {
public:
    // Throws WriteError when TargetProblem(target) has a reason or the temporary file cannot be
    // made (nothing is left behind then).
    explicit TSafeFile(std::string target);
    ~TSafeFile();
    TSafeFile(const TSafeFile&) = delete;
    TSafeFile& operator=(const TSafeFile&) = delete;

    const std::string& Target() const { return m_Target; }
    // Where the bytes go until Commit; empty after Commit or Discard.
    const std::string& TempPath() const { return m_TempPath; }
    // The temporary file, open for reading and writing; -1 after Commit or Discard.
    int Fd() const { return m_Fd; }

    // Appends bytes at the file's current offset. Throws WriteError (disk full, I/O error).
    void Write(std::string_view bytes);
    // Flushes, closes and renames over the target. Throws WriteError; the temporary file is
    // removed and the target untouched then.
    void Commit();
    // Closes and removes the temporary file; the target is untouched. Never throws.
    void Discard() noexcept;

    // Throws WriteError "TARGET: reason" with errno's text.
    [[noreturn]] void Fail(int error) const;

private:
    std::string m_Target;
    std::string m_RenameTo; // the target, or the file a symbolic link target points to
    std::string m_TempPath;
    int m_Fd = -1;
};

// Writes bytes as the whole of target, through a TSafeFile. Throws WriteError naming target.
void WriteFileContents(const std::string& target, std::string_view bytes);

// For writers that write a file by name (a library's save call): write(tempPath) writes the
// whole file at tempPath and returns false (or throws) when it failed; the target is replaced only
// after it succeeded. reason is the text of the WriteError thrown when write returns false.
// Exceptions of write pass through after the temporary file was removed.
void WriteFileThrough(const std::string& target,
                      const std::function<bool(const std::string& tempPath)>& write,
                      const std::string& reason = "the file could not be written");

} // namespace lumora::platform
