#include "exporter/ZipperLib.h"
#include "platform/Error.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <zlib.h>

using namespace lumora::exporter;
using namespace lumora::test;

namespace {

std::uint32_t UInt32LE(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(b[at + i]);
    return v;
}

std::uint16_t UInt16LE(const std::string& b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      static_cast<unsigned char>(b[at + 1]) << 8);
}

std::string MakeEmptyArchive(const std::string& name) {
    TBinaryFile file(name);
    TZipper::WriteEmptyArchive(file);
    file.Close();
    return name;
}

// Bytes that compress well and bytes that do not.
std::string SampleBytes(std::size_t n, unsigned seed) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) {
        seed = seed * 1103515245u + 12345u;
        s += i % 3 == 0 ? static_cast<char>(seed >> 16) : 'a' + static_cast<char>(i % 7);
    }
    return s;
}

void RequireUnzip() {
    ASSERT_TRUE(HaveProgram("unzip")) << "the peer check needs unzip";
}

// Random bytes: deflate stores them in stored blocks.
std::string RandomBytes(std::size_t n, unsigned seed) {
    std::string s(n, '\0');
    for (char& c : s) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 23);
    }
    return s;
}

// zlib's raw inflate of data into at most limit bytes; finished tells whether the stream ended
// with its final block, and used how much of data it read.
struct TInflated {
    std::string Bytes;
    bool Finished = false;
    std::size_t Used = 0;
    bool Failed = false;
};

TInflated Inflate(const std::string& data, std::size_t limit) {
    z_stream zs{};
    inflateInit2(&zs, -MAX_WBITS);
    TInflated r;
    r.Bytes.resize(limit + 1);
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zs.avail_in = static_cast<uInt>(data.size());
    zs.next_out = reinterpret_cast<Bytef*>(r.Bytes.data());
    zs.avail_out = static_cast<uInt>(r.Bytes.size());
    const int result = inflate(&zs, Z_SYNC_FLUSH);
    r.Finished = result == Z_STREAM_END;
    r.Failed = result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR;
    r.Used = data.size() - zs.avail_in;
    r.Bytes.resize(zs.total_out);
    inflateEnd(&zs);
    return r;
}

std::string UnzipMember(const std::string& archive, const std::string& member) {
    const CommandResult r =
        RunCommand("unzip -p " + ShellQuote(archive) + " " + ShellQuote(member));
    EXPECT_EQ(r.ExitCode, 0) << r.Err;
    return r.Out;
}

} // namespace

TEST(ZipperLib, EmptyArchiveIsOneEndRecord) {
    TempDir dir;
    const std::string name = MakeEmptyArchive(dir.File("empty.zip"));
    const std::string bytes = ReadFile(name);
    EXPECT_EQ(bytes, std::string("PK\x05\x06", 4) + std::string(18, '\0'));
    TZipper zip;
    zip.Open(name);
    EXPECT_TRUE(zip.IsZipFile);
    EXPECT_TRUE(zip.Entries().empty());
    EXPECT_EQ(zip.FileName, name);
}

TEST(ZipperLib, FourFilesGiveFourEntriesInOrderThatUnzipReadsExactly) {
    RequireUnzip();
    TempDir dir;
    const std::vector<std::string> names{"cave.shp", "cave.shx", "cave.dbf", "cave.prj"};
    std::vector<std::string> contents;
    for (std::size_t i = 0; i < names.size(); ++i) {
        contents.push_back(SampleBytes(1000 + 5000 * i, static_cast<unsigned>(i)));
        WriteFile(dir.File(names[i]), contents.back());
    }
    const std::string archive = MakeEmptyArchive(dir.File("cave.zip"));
    TZipper zip;
    zip.StoreRelativePath = false;
    zip.SetCompressionType(TZipCompressionType::ctNormal);
    zip.Open(archive);
    for (const std::string& n : names)
        zip.AddFile(dir.File(n));
    zip.Close();

    const std::string bytes = ReadFile(archive);
    std::size_t at = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        ASSERT_EQ(UInt32LE(bytes, at), 0x04034B50u) << names[i];
        EXPECT_EQ(UInt16LE(bytes, at + 4), 20);
        EXPECT_EQ(UInt16LE(bytes, at + 8), 8);
        const std::string& c = contents[i];
        EXPECT_EQ(UInt32LE(bytes, at + 14),
                  crc32(0, reinterpret_cast<const Bytef*>(c.data()), static_cast<uInt>(c.size())));
        EXPECT_EQ(UInt32LE(bytes, at + 22), c.size());
        EXPECT_EQ(bytes.substr(at + 30, UInt16LE(bytes, at + 26)), names[i]);
        at += 30 + names[i].size() + UInt32LE(bytes, at + 18);
    }
    ASSERT_EQ(UInt32LE(bytes, at), 0x02014B50u);
    const std::size_t end = bytes.size() - 22;
    EXPECT_EQ(UInt32LE(bytes, end), 0x06054B50u);
    EXPECT_EQ(UInt16LE(bytes, end + 8), 4);
    EXPECT_EQ(UInt16LE(bytes, end + 10), 4);
    EXPECT_EQ(UInt32LE(bytes, end + 16), at);
    EXPECT_EQ(UInt32LE(bytes, end + 12), end - at);

    const CommandResult test = RunCommand("unzip -t " + ShellQuote(archive));
    EXPECT_EQ(test.ExitCode, 0) << test.Out << test.Err;
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(UnzipMember(archive, names[i]), contents[i]) << names[i];
}

TEST(ZipperLib, AddingANameAgainReplacesTheEntry) {
    RequireUnzip();
    TempDir dir;
    WriteFile(dir.File("a.txt"), SampleBytes(3000, 1));
    WriteFile(dir.File("b.txt"), SampleBytes(2000, 2));
    const std::string archive = MakeEmptyArchive(dir.File("set.zip"));
    TZipper zip;
    zip.StoreRelativePath = false;
    zip.Open(archive);
    zip.AddFile(dir.File("a.txt"));
    zip.AddFile(dir.File("b.txt"));
    const std::string replacement = SampleBytes(700, 3);
    WriteFile(dir.File("A.TXT"), replacement);
    zip.AddFile(dir.File("A.TXT"));
    zip.Close();

    zip.Open(archive);
    ASSERT_EQ(zip.Entries().size(), 2u);
    EXPECT_EQ(zip.Entries()[0].Name, "b.txt");
    EXPECT_EQ(zip.Entries()[1].Name, "A.TXT");
    zip.Close();
    const CommandResult test = RunCommand("unzip -t " + ShellQuote(archive));
    EXPECT_EQ(test.ExitCode, 0) << test.Out << test.Err;
    EXPECT_EQ(UnzipMember(archive, "A.TXT"), replacement);
    EXPECT_EQ(UnzipMember(archive, "b.txt"), SampleBytes(2000, 2));
}

TEST(ZipperLib, EmptyFileIsStoredWithoutData) {
    RequireUnzip();
    TempDir dir;
    WriteFile(dir.File("empty.prj"), "");
    const std::string archive = MakeEmptyArchive(dir.File("e.zip"));
    TZipper zip;
    zip.StoreRelativePath = false;
    zip.Open(archive);
    zip.AddFile(dir.File("empty.prj"));
    zip.AddFile(dir.File("missing.prj"));
    ASSERT_EQ(zip.Entries().size(), 1u);
    EXPECT_EQ(zip.Entries()[0].Method, 0);
    EXPECT_EQ(zip.Entries()[0].CompressedSize, 0u);
    EXPECT_EQ(zip.Entries()[0].UncompressedSize, 0u);
    zip.Close();
    EXPECT_EQ(ReadFile(archive).size(), 30u + 9 + 46 + 9 + 22);
    const CommandResult test = RunCommand("unzip -t " + ShellQuote(archive));
    EXPECT_EQ(test.ExitCode, 0) << test.Out << test.Err;
}

TEST(ZipperLib, EveryLevelRoundTrips) {
    RequireUnzip();
    TempDir dir;
    const std::string content = SampleBytes(20000, 9);
    WriteFile(dir.File("data.bin"), content);
    for (auto type : {TZipCompressionType::ctNone, TZipCompressionType::ctSuperFast,
                      TZipCompressionType::ctMaximum, TZipCompressionType::ctUnknown}) {
        const std::string archive = MakeEmptyArchive(dir.File("levels.zip"));
        TZipper zip;
        zip.StoreRelativePath = false;
        zip.SetCompressionType(type);
        zip.Open(archive);
        zip.AddFile(dir.File("data.bin"));
        EXPECT_EQ(zip.Entries()[0].Method, 8);
        zip.Close();
        EXPECT_EQ(UnzipMember(archive, "data.bin"), content);
    }
    TZipper zip;
    zip.SetCompressionType(TZipCompressionType::ctUnknown);
    EXPECT_EQ(zip.CompressionType(), TZipCompressionType::ctNormal);
}

TEST(ZipperLib, RelativePathsBringTheirFolders) {
    RequireUnzip();
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "sub");
    WriteFile(dir.File("sub/x.txt"), "hello");
    const std::string archive = MakeEmptyArchive(dir.File("f.zip"));
    TZipper zip;
    zip.Open(archive);
    zip.AddFile(dir.File("sub/x.txt"));
    const std::string entry = zip.EntryName(dir.File("sub/x.txt"));
    EXPECT_EQ(zip.Entries().back().Name, entry);
    EXPECT_EQ(zip.Entries().front().Name, entry.substr(0, entry.find('/') + 1));
    zip.Close();
    EXPECT_EQ(RunCommand("unzip -t " + ShellQuote(archive)).ExitCode, 0);
    EXPECT_EQ(UnzipMember(archive, entry), "hello");
}

TEST(ZipperLib, EntryNamesAreNormalised) {
    TZipper zip;
    EXPECT_EQ(zip.EntryName("cave.shp"), "cave.shp");
    EXPECT_EQ(zip.EntryName("C:\\maps\\cave.shp"), "maps/cave.shp");
    EXPECT_EQ(zip.EntryName("\\\\server\\share\\maps\\cave.shp"), "maps/cave.shp");
    EXPECT_EQ(zip.EntryName("/home/me/cave.shp"), "home/me/cave.shp");
    zip.StoreRelativePath = false;
    EXPECT_EQ(zip.EntryName("/home/me/cave.shp"), "cave.shp");
}

TEST(ZipperLib, OpeningAMissingArchiveSaysSo) {
    TZipper zip;
    try {
        zip.Open("/nonexistent/x.zip");
        FAIL() << "no exception";
    } catch (const lumora::Error& e) {
        EXPECT_STREQ(e.what(), "File \"/nonexistent/x.zip\" not found!");
    }
    EXPECT_THROW(zip.AddFile("/etc/hostname"), lumora::Error);
}

TEST(ZipperLib, FilesLargerThanAChunkUnzipExactly) {
    RequireUnzip();
    TempDir dir;
    const std::string archive = MakeEmptyArchive(dir.File("big.zip"));
    // Several chunks of compressible and random bytes, one file not a whole number of chunks.
    const std::string first = SampleBytes((9u << 20) + 4321, 7);
    const std::string second = SampleBytes(5u << 20, 11);
    WriteFile(dir.File("first.bin"), first);
    WriteFile(dir.File("second.bin"), second);
    WriteFile(dir.File("empty.bin"), "");
    TZipper zip;
    zip.StoreRelativePath = false;
    zip.Open(archive);
    zip.AddFiles({dir.File("first.bin"), dir.File("empty.bin"), dir.File("second.bin")});
    ASSERT_EQ(zip.Entries().size(), 3u);
    EXPECT_EQ(zip.Entries()[0].Crc32,
              crc32_z(0, reinterpret_cast<const Bytef*>(first.data()), first.size()));
    EXPECT_LT(zip.Entries()[0].CompressedSize, first.size());
    EXPECT_EQ(zip.Entries()[1].Method, 0);
    zip.Close();
    const CommandResult test = RunCommand("unzip -t " + ShellQuote(archive));
    EXPECT_EQ(test.ExitCode, 0) << test.Out << test.Err;
    EXPECT_TRUE(UnzipMember(archive, "first.bin") == first);
    EXPECT_TRUE(UnzipMember(archive, "second.bin") == second);
    EXPECT_EQ(UnzipMember(archive, "empty.bin"), "");
}

// Pieces of every kind of content and of many lengths, so the final blocks that are made ordinary
// are stored, fixed and dynamic ones ending at every bit of a byte.
std::vector<std::string> VariedPieces() {
    std::vector<std::string> pieces;
    for (std::size_t n = 1; n <= 64; ++n)
        pieces.push_back(std::string(n, 'x') + RandomBytes(n % 5, static_cast<unsigned>(n)));
    for (unsigned i = 0; i < 16; ++i) {
        pieces.push_back(SampleBytes(1000 + 397 * i, i));
        pieces.push_back(RandomBytes(100 + 9000 * i, i));
        pieces.push_back(std::string(70000 + 13 * i, static_cast<char>('a' + i)));
    }
    return pieces;
}

TEST(ZipperLib, PiecesDeflatedApartInflateAsOneStream) {
    const std::vector<std::string> pieces = VariedPieces();
    std::string whole;
    for (const std::string& p : pieces)
        whole += p;
    for (int level : {0, 1, 5, 12}) {
        SCOPED_TRACE("level " + std::to_string(level));
        TPieceDeflater deflater(level);
        std::string stream;
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            const bool last = i + 1 == pieces.size();
            const std::string data = deflater.Deflate(pieces[i], last, "piece");
            // On its own a piece before the last inflates to its bytes and leaves the stream open,
            // ending on a byte boundary with an empty stored block.
            const TInflated alone = Inflate(data, pieces[i].size());
            ASSERT_FALSE(alone.Failed) << "piece " << i;
            EXPECT_EQ(alone.Finished, last) << "piece " << i;
            EXPECT_EQ(alone.Used, data.size()) << "piece " << i;
            EXPECT_TRUE(alone.Bytes == pieces[i]) << "piece " << i;
            if (!last) {
                EXPECT_EQ(data.substr(data.size() - 4), std::string("\0\0\xFF\xFF", 4));
            }
            stream += data;
        }
        const TInflated joined = Inflate(stream, whole.size());
        EXPECT_TRUE(joined.Finished);
        EXPECT_EQ(joined.Used, stream.size());
        EXPECT_TRUE(joined.Bytes == whole);
    }
    EXPECT_THROW(TPieceDeflater(13), lumora::Error);
}

TEST(ZipperLib, EveryCompressionTypeUnzipsFilesOfSeveralChunks) {
    RequireUnzip();
    TempDir dir;
    // Random bytes (stored blocks), runs of one byte and mixed bytes, each over chunk boundaries.
    const std::string content = RandomBytes((5u << 20) + 99, 3) + std::string(6u << 20, '\0') +
                                SampleBytes((3u << 20) + 1, 5);
    WriteFile(dir.File("data.bin"), content);
    for (auto type : {TZipCompressionType::ctNone, TZipCompressionType::ctSuperFast,
                      TZipCompressionType::ctNormal, TZipCompressionType::ctMaximum}) {
        SCOPED_TRACE(static_cast<int>(type));
        const std::string archive = MakeEmptyArchive(dir.File("chunks.zip"));
        TZipper zip;
        zip.StoreRelativePath = false;
        zip.SetCompressionType(type);
        zip.Open(archive);
        zip.AddFiles({dir.File("data.bin")});
        ASSERT_EQ(zip.Entries().size(), 1u);
        const TZipEntry entry = zip.Entries()[0];
        zip.Close();
        const CommandResult test = RunCommand("unzip -t " + ShellQuote(archive));
        EXPECT_EQ(test.ExitCode, 0) << test.Out << test.Err;
        EXPECT_TRUE(UnzipMember(archive, "data.bin") == content);
        // zlib, a second reader, inflates the entry's data to the file's bytes and no further.
        const std::string data =
            ReadFile(archive).substr(30 + entry.Name.size(), entry.CompressedSize);
        const TInflated inflated = Inflate(data, content.size());
        EXPECT_TRUE(inflated.Finished);
        EXPECT_EQ(inflated.Used, data.size());
        EXPECT_TRUE(inflated.Bytes == content);
    }
}

// A Shapefile set packed at the exporter's level is no more than 5 % larger than the zip program
// makes it at its default level.
TEST(ZipperLib, ShapefileSetPacksWithinFivePercentOfZipDefaultLevel) {
    RequireUnzip();
    ASSERT_TRUE(HaveProgram("zip")) << "the size check needs the zip program";
    TempDir dir;
    const std::string lumora = ShellQuote(LumoraCli());
    const std::string plot = ShellQuote(dir.File("cave.plt"));
    CommandResult r = RunCommand(lumora + " gen -q --stations 20000 -o " + plot);
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    r = RunCommand(lumora + " export shapefile -q --yes --type prism --3d --zip -o " +
                   ShellQuote(dir.File("set")) + " " + plot);
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    r = RunCommand("cd " + ShellQuote(dir.Path().string()) +
                   " && zip -q -6 peer.zip set.shp set.shx set.dbf set.prj");
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_EQ(RunCommand("unzip -t " + ShellQuote(dir.File("set.zip"))).ExitCode, 0);
    const auto ours = std::filesystem::file_size(dir.File("set.zip"));
    const auto peer = std::filesystem::file_size(dir.File("peer.zip"));
    EXPECT_LE(ours, peer * 105 / 100) << ours << " bytes against " << peer;
}
