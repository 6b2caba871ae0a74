// A buffered binary output file that reports every failure as a WriteError naming the file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lumora::exporter {

// Creates (replacing) a file and appends bytes to it through a memory buffer; bytes already
// written may be patched in place. Every failure (cannot create, short write, disk full, failed
// close) throws lumora::WriteError "FILE: reason". The destructor closes without reporting; call
// Close to learn whether everything reached the disk.
class TBinaryFile {
public:
    // Throws WriteError when the file cannot be created.
    explicit TBinaryFile(const std::string& fileName);
    ~TBinaryFile();
    TBinaryFile(const TBinaryFile&) = delete;
    TBinaryFile& operator=(const TBinaryFile&) = delete;

    const std::string& FileName() const { return m_FileName; }
    bool IsOpen() const { return m_Fd >= 0; }
    // Bytes written so far (the file's size once flushed).
    std::int64_t Size() const { return m_Flushed + static_cast<std::int64_t>(m_Buffer.size()); }

    void Write(const void* data, std::size_t count);
    void Write(std::string_view bytes) { Write(bytes.data(), bytes.size()); }
    void WriteByte(std::uint8_t b) {
        m_Buffer.push_back(static_cast<char>(b));
        FlushIfFull();
    }
    void WriteInt32BE(std::int32_t v);
    void WriteInt32LE(std::int32_t v);
    void WriteUInt16LE(std::uint16_t v);
    void WriteUInt32LE(std::uint32_t v);
    void WriteDoubleLE(double v);
    // Overwrites 4 bytes at offset (which must lie within what was written) big-endian.
    void PatchInt32BE(std::int64_t offset, std::int32_t v);
    // Flushes, closes and reports a failure of either.
    void Close();

private:
    void FlushIfFull() {
        if (m_Buffer.size() >= kBufferSize)
            Flush();
    }
    void Flush();
    void WriteAt(std::int64_t offset, const char* data, std::size_t count);
    [[noreturn]] void Fail(const std::string& action, int error) const;

    static constexpr std::size_t kBufferSize = 1 << 20;
    std::string m_FileName;
    int m_Fd = -1;
    std::string m_Buffer;
    std::int64_t m_Flushed = 0;
};

// Little- and big-endian encoders into a byte string, for building records in memory.
void AppendInt32LE(std::string& out, std::int32_t v);
void AppendInt32BE(std::string& out, std::int32_t v);
void AppendUInt16LE(std::string& out, std::uint16_t v);
void AppendUInt32LE(std::string& out, std::uint32_t v);
void AppendDoubleLE(std::string& out, double v);

} // namespace lumora::exporter
