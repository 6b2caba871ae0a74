// A zip archive kept in place: open it, list its entries, add files with raw deflate, close it.
#pragma once

#include "exporter/BinaryFile.h"
#include "exporter/DeflatePieces.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace lumora::exporter {

enum class TZipCompressionType { ctNormal, ctMaximum, ctFast, ctSuperFast, ctNone, ctUnknown };
enum class TZipSaveMethod { FastSave, RebuildAll };

// One entry of the open archive: its central-directory fields and where its local entry lies.
struct TZipEntry {
    std::string Name;
    std::uint16_t Flags = 0;
    std::uint16_t Method = 0; // 0 stored, 8 deflate
    std::uint16_t Time = 0;   // MS-DOS form
    std::uint16_t Date = 0;
    std::uint32_t Crc32 = 0;
    std::uint32_t CompressedSize = 0;
    std::uint32_t UncompressedSize = 0;
    std::uint32_t ExternalAttributes = 0;
    std::uint32_t LocalHeaderOffset = 0;
    std::string CentralRecord; // the 46-byte record with its name, extra field and comment
};

// Adds files to an archive in place: each new entry is written where the central directory
// began, followed by the rewritten central directory and end record. Entries are compressed
// with raw deflate (method 8), empty files stored (method 0). Archives of 4 GiB or more
// and entries of 65535 or more are refused (lumora::Error), never written wrongly.
class TZipper {
public:
    TZipper() = default;
    ~TZipper() {
        if (m_Fd >= 0)
            ::close(m_Fd);
    }
    TZipper(const TZipper&) = delete;
    TZipper& operator=(const TZipper&) = delete;

    std::string FileName;
    bool IsZipFile = false;
    TZipSaveMethod SaveMethod = TZipSaveMethod::FastSave;
    bool StoreRelativePath = true; // keep the entry's folders; else only the file name
    bool StoreFolders = true;      // with StoreRelativePath: add missing folder entries
    bool UseTempFiles = false;

    TZipCompressionType CompressionType() const { return m_CompressionType; }
    // ctUnknown stores ctNormal.
    void SetCompressionType(TZipCompressionType type);

    // Writes an end record with its signature and all other fields 0 (22 bytes).
    static void WriteEmptyArchive(TBinaryFile& stream);
    // Closes any open archive and opens fileName, reading its entry list. Throws lumora::Error
    // "File "NAME" not found!" for a missing file, lumora::Error for an unreadable archive.
    void Open(const std::string& fileName);
    // Adds the file as a new entry named by EntryName(fileName), replacing an entry of the same
    // name (compared without regard to case). A missing file is ignored. Throws
    // lumora::WriteError naming the archive on a failed write; lumora::Error when the source
    // cannot be read or no archive is open.
    void AddFile(const std::string& fileName);
    // The same for several files, in their order; the files are read in chunks and deflated on
    // several threads at once with TPieceDeflater (the entries' data may differ from a one-piece
    // deflate, never what it inflates to). Nothing is added when a file is refused or cannot be
    // read.
    void AddFiles(const std::vector<std::string>& fileNames);
    // Forgets the entries and closes the archive file. Throws lumora::WriteError naming the
    // archive when closing fails (the file system may report a failed write only then).
    void Close();

    const std::vector<TZipEntry>& Entries() const { return m_Entries; }
    // The entry name of a file: '\' becomes '/', anything up to ":/" and a "//server/share/"
    // prefix are removed, a leading '/' is dropped; only the file name unless StoreRelativePath.
    std::string EntryName(const std::string& fileName) const;

private:
    void ReadDirectory();
    std::string ReadBytes(std::uint64_t offset, std::size_t count) const;
    void WriteBytes(std::uint64_t offset, const std::string& bytes);
    void RemoveEntry(std::size_t index);
    void AddFolderEntries(const std::string& entryName);
    void AppendFileEntry(const std::string& fileName, const struct stat& info,
                         const std::vector<std::string>& pieces,
                         const std::vector<std::uint32_t>& pieceCrcs);
    void AppendEntry(TZipEntry entry, const std::vector<std::string>& data);
    void WriteDirectory(std::uint64_t offset);
    int DeflateLevel() const;

    TZipCompressionType m_CompressionType = TZipCompressionType::ctMaximum;
    int m_Fd = -1;
    std::vector<TZipEntry> m_Entries;
    std::uint32_t m_DirectoryOffset = 0;
    std::string m_Comment;
};

} // namespace lumora::exporter
