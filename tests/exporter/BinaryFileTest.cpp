#include "exporter/BinaryFile.h"
#include "platform/Error.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace lumora::exporter;
using namespace lumora::test;

namespace {

// Bytes in a pattern that shows any lost, doubled or misplaced buffer.
std::string Pattern(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>(i * 7 + i / 251);
    return s;
}

} // namespace

TEST(BinaryFile, ManyBuffersReachTheFileInOrder) {
    TempDir dir;
    const std::string expected = Pattern(3 * TBinaryFile::kBufferSize + 12345);
    TBinaryFile file(dir.File("big.bin"));
    std::size_t at = 0;
    // Pieces of every size, some longer than a buffer, claims and single bytes between them.
    for (std::size_t piece = 1; at < expected.size(); piece = piece * 3 + 1) {
        const std::size_t n =
            std::min(piece % (TBinaryFile::kBufferSize + 777), expected.size() - at);
        file.Write(expected.data() + at, n);
        at += n;
        if (at + 10 <= expected.size()) {
            std::memcpy(file.Claim(10), expected.data() + at, 10);
            file.Commit(10);
            at += 10;
        }
        if (at < expected.size())
            file.WriteByte(static_cast<std::uint8_t>(expected[at++]));
        EXPECT_EQ(file.Size(), static_cast<std::int64_t>(at));
    }
    file.Close();
    EXPECT_TRUE(ReadFile(dir.File("big.bin")) == expected);
}

TEST(BinaryFile, PatchesReachWrittenAndBufferedBytes) {
    TempDir dir;
    std::string expected = Pattern(2 * TBinaryFile::kBufferSize + 100);
    TBinaryFile file(dir.File("patched.bin"));
    file.Write(expected);
    // Far back in the file, across the first buffer's end, and in the buffer still filling.
    for (std::int64_t offset : {std::int64_t{4}, std::int64_t{TBinaryFile::kBufferSize} - 2,
                                std::int64_t{2 * TBinaryFile::kBufferSize} + 50}) {
        file.PatchInt32BE(offset, 0x01020304);
        expected.replace(static_cast<std::size_t>(offset), 4, "\x01\x02\x03\x04");
    }
    file.PatchUInt32LE(8, 0x0A0B0C0D);
    expected.replace(8, 4, "\x0D\x0C\x0B\x0A");
    file.Close();
    EXPECT_TRUE(ReadFile(dir.File("patched.bin")) == expected);
}

TEST(BinaryFile, FailedWritesAreReportedWithTheFileNameAndKeepTheOldFile) {
    TempDir dir;
    const std::string target = dir.File("out.bin");
    WriteFile(target, "the good old file");
    // A disk that fills fails the background write of a buffer: a later call reports it.
    auto fill = [&] {
        FileSizeLimit full(TBinaryFile::kBufferSize + 100);
        TBinaryFile file(target);
        const std::string bytes = Pattern(TBinaryFile::kBufferSize);
        for (int i = 0; i < 4; ++i)
            file.Write(bytes);
        file.Close();
    };
    try {
        fill();
        FAIL() << "writing to a full disk succeeded";
    } catch (const lumora::WriteError& e) {
        EXPECT_NE(std::string(e.what()).find(target + ": "), std::string::npos) << e.what();
        EXPECT_EQ(std::string(e.what()).find(".bin."), std::string::npos) << e.what();
    }
    EXPECT_EQ(ReadFile(target), "the good old file");
    EXPECT_EQ(FolderEntries(dir.Path().string()), std::vector<std::string>{"out.bin"});
    // A small file fails only when it is closed, and is not left half-written either.
    {
        FileSizeLimit full(2);
        TBinaryFile small(target);
        small.Write("abc");
        EXPECT_THROW(small.Close(), lumora::WriteError);
    }
    EXPECT_EQ(ReadFile(target), "the good old file");
    EXPECT_EQ(FolderEntries(dir.Path().string()), std::vector<std::string>{"out.bin"});
    // A file abandoned without Close never replaces the old one.
    {
        TBinaryFile abandoned(target);
        abandoned.Write("new");
    }
    EXPECT_EQ(ReadFile(target), "the good old file");
    EXPECT_EQ(FolderEntries(dir.Path().string()), std::vector<std::string>{"out.bin"});
}

TEST(BinaryFile, RefusesFoldersDevicesAndMissingFolders) {
    TempDir dir;
    EXPECT_THROW(TBinaryFile(dir.File("no/such/folder.bin")), lumora::WriteError);
    EXPECT_THROW(TBinaryFile(dir.Path().string()), lumora::WriteError);
    EXPECT_THROW(TBinaryFile("/dev/full"), lumora::WriteError);
    EXPECT_THROW(TBinaryFile("/dev/full", TBinaryFile::TMode::InPlace), lumora::WriteError);
}

TEST(BinaryFile, InPlaceFilesKeepWhatWasWrittenWhenTheDiskFills) {
    TempDir dir;
    const std::string target = dir.File("part.shp");
    {
        FileSizeLimit full(10);
        TBinaryFile file(target, TBinaryFile::TMode::InPlace);
        file.Write(Pattern(100));
        EXPECT_THROW(file.Close(), lumora::WriteError);
    }
    EXPECT_EQ(ReadFile(target), Pattern(10));
}
