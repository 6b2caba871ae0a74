// Safe file writes: a target is replaced whole or not at all, never by a truncated file.
#include "platform/SafeFile.h"

#include "platform/Error.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace lumora::platform {
namespace {

namespace fs = std::filesystem;
using test::FileSizeLimit;
using test::FolderEntries;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const WriteError& e) {
        return e.what();
    }
    return "no error";
}

TEST(SafeFile, ReplacesTheTargetOnlyWhenCommitted) {
    TempDir dir;
    const std::string target = dir.File("cave.dxf");
    WriteFile(target, "old");
    {
        TSafeFile file(target);
        file.Write("new contents");
        EXPECT_EQ(ReadFile(target), "old"); // not yet
        EXPECT_EQ(FolderEntries(dir.Path().string()).size(), 2u);
        file.Commit();
    }
    EXPECT_EQ(ReadFile(target), "new contents");
    EXPECT_EQ(FolderEntries(dir.Path().string()), std::vector<std::string>{"cave.dxf"});
    {
        TSafeFile abandoned(target);
        abandoned.Write("half");
    }
    EXPECT_EQ(ReadFile(target), "new contents");
    EXPECT_EQ(FolderEntries(dir.Path().string()), std::vector<std::string>{"cave.dxf"});
}

TEST(SafeFile, AFullDiskNamesTheTargetAndKeepsTheOldFile) {
    TempDir dir;
    const std::string target = dir.File("cave.wrl");
    WriteFile(target, "good world");
    const std::string message = MessageOf([&] {
        FileSizeLimit full(1000);
        WriteFileContents(target, std::string(5000, 'x'));
    });
    EXPECT_EQ(message.rfind(target + ": ", 0), 0u) << message;
    EXPECT_EQ(ReadFile(target), "good world");
    EXPECT_EQ(FolderEntries(dir.Path().string()), std::vector<std::string>{"cave.wrl"});
}

TEST(SafeFile, RefusesFoldersDevicesAndMissingFoldersBeforeWriting) {
    TempDir dir;
    EXPECT_EQ(MessageOf([&] { TSafeFile f(dir.Path().string()); }),
              dir.Path().string() + ": Is a directory");
    EXPECT_EQ(MessageOf([] { TSafeFile f("/dev/full"); }), "/dev/full: Not a regular file");
    EXPECT_EQ(MessageOf([] { TSafeFile f("/dev/null"); }), "/dev/null: Not a regular file");
    const std::string missing = dir.File("no/such/cave.kml");
    EXPECT_EQ(MessageOf([&] { TSafeFile f(missing); }),
              missing + ": The folder " + dir.File("no/such") + " does not exist");
    EXPECT_TRUE(TargetProblem(""));
    EXPECT_FALSE(TargetProblem(dir.File("new.kml")));
    EXPECT_TRUE(FolderEntries(dir.Path().string()).empty());
}

TEST(SafeFile, KeepsPermissionsAndSymbolicLinks) {
    TempDir dir;
    const std::string real = dir.File("real.ini");
    WriteFile(real, "a");
    ::chmod(real.c_str(), 0640);
    const std::string link = dir.File("link.ini");
    fs::create_symlink(real, link);
    WriteFileContents(link, "b");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(real), "b");
    EXPECT_EQ(ModeOf(real), 0640u);
    // A new file gets what the umask allows, not the temporary file's private mode.
    const mode_t old = ::umask(022);
    WriteFileContents(dir.File("new.ini"), "c");
    ::umask(old);
    EXPECT_EQ(ModeOf(dir.File("new.ini")), 0644u);
}

TEST(SafeFile, WritersThatWriteByNameGoThroughTheTemporaryFile) {
    TempDir dir;
    const std::string target = dir.File("picture.png");
    WriteFile(target, "old picture");
    EXPECT_EQ(MessageOf([&] {
                  WriteFileThrough(target, [](const std::string& temp) {
                      WriteFile(temp, "half");
                      return false;
                  });
              }),
              target + ": the file could not be written");
    EXPECT_EQ(ReadFile(target), "old picture");
    WriteFileThrough(target, [&](const std::string& temp) {
        EXPECT_NE(temp, target);
        WriteFile(temp, "new picture");
        return true;
    });
    EXPECT_EQ(ReadFile(target), "new picture");
    EXPECT_EQ(FolderEntries(dir.Path().string()), std::vector<std::string>{"picture.png"});
}

TEST(SafeFile, DevicesAreNotRegularFilesToReadEither) {
    const int fd = ::open("/dev/zero", O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(NotRegularReason(fd).value_or(""), "Not a regular file");
    ::close(fd);
    TempDir dir;
    WriteFile(dir.File("a.plt"), "x");
    const int file = ::open(dir.File("a.plt").c_str(), O_RDONLY);
    EXPECT_FALSE(NotRegularReason(file));
    ::close(file);
}

} // namespace
} // namespace lumora::platform
