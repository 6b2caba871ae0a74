// A buffered binary output file that reports every failure as a WriteError naming the file.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace lumora::platform {
class TSafeFile;
}

namespace lumora::exporter {

// Creates (replacing) a file and appends bytes to it through a memory buffer; bytes already
// written may be patched in place. A full buffer is handed to a writer thread (started with the
// first full buffer, so small files never start one) while the next one fills, so that the
// kernel's copy of the bytes runs beside the code that makes them. Every failure (cannot create,
// short write, disk full, failed close) throws lumora::WriteError "FILE: reason", from the call
// that finds it: a failed background write is reported by the next call that writes, patches or
// closes. The destructor waits for the writer and closes without reporting; call Close to learn
// whether everything reached the disk. One thread at a time may use an object.
//
// A file opened to Replace is written as a platform::TSafeFile: until Close succeeds the bytes go
// to a temporary file beside it, so a failed or abandoned write leaves any old file untouched. A
// file opened InPlace is truncated and written directly (the parts of a Shapefile set, which keep
// what was written when a set fails).
class TBinaryFile {
public:
    // The most bytes one Claim may ask for.
    static constexpr std::size_t kBufferSize = 1 << 20;

    enum class TMode { Replace, InPlace };

    // Throws WriteError when the file cannot be created, or when fileName names a folder, a
    // device or a file in a missing folder.
    explicit TBinaryFile(const std::string& fileName, TMode mode = TMode::Replace);
    ~TBinaryFile();
    TBinaryFile(const TBinaryFile&) = delete;
    TBinaryFile& operator=(const TBinaryFile&) = delete;

    const std::string& FileName() const { return m_FileName; }
    bool IsOpen() const { return m_Fd >= 0; }
    // Bytes written so far (the file's size once flushed).
    std::int64_t Size() const { return m_Flushed + static_cast<std::int64_t>(m_Used); }

    void Write(const void* data, std::size_t count);
    void Write(std::string_view bytes) { Write(bytes.data(), bytes.size()); }
    void WriteByte(std::uint8_t b) {
        *Claim(1) = static_cast<char>(b);
        Commit(1);
    }
    // Room for count bytes (at most kBufferSize) at the end of the file: the caller writes up to
    // count bytes there and then says with Commit how many it used. Lets a formatter write its
    // text straight into the file's buffer.
    char* Claim(std::size_t count) {
        if (kBufferSize - m_Used < count)
            Flush();
        return m_Buffer.get() + m_Used;
    }
    void Commit(std::size_t count) { m_Used += count; }

    void WriteInt32BE(std::int32_t v);
    void WriteInt32LE(std::int32_t v) { WriteRaw(v); }
    void WriteUInt16LE(std::uint16_t v) { WriteRaw(v); }
    void WriteUInt32LE(std::uint32_t v) { WriteRaw(v); }
    void WriteDoubleLE(double v) { WriteRaw(v); }
    // Overwrite 4 (or, for a double, 8) bytes at offset (which must lie within what was
    // written), big- or little-endian.
    void PatchInt32BE(std::int64_t offset, std::int32_t v);
    void PatchUInt32LE(std::int64_t offset, std::uint32_t v);
    void PatchDoubleLE(std::int64_t offset, double v);
    // Flushes, closes and reports a failure of either; a file opened to Replace then takes the
    // place of the old one.
    void Close();

private:
    template <class T> void WriteRaw(T v) {
        static_assert(sizeof(T) <= 8);
        std::memcpy(Claim(sizeof v), &v, sizeof v);
        Commit(sizeof v);
    }
    void Patch(std::int64_t offset, const char* bytes, std::size_t count);
    // Hands the buffer to the writer thread (waiting for the one before) and starts a new one.
    void Flush();
    // Waits until the writer thread is idle and reports its failure, if any.
    void WaitForWriter();
    void StopWriter() noexcept;
    void WriterLoop();
    void WriteAt(std::int64_t offset, const char* data, std::size_t count);
    [[noreturn]] void Fail(const std::string& action, int error) const;

    std::string m_FileName;
    std::unique_ptr<platform::TSafeFile> m_Safe; // owns m_Fd when replacing
    int m_Fd = -1;
    std::unique_ptr<char[]> m_Buffer; // the bytes after m_Flushed, m_Used of them
    std::size_t m_Used = 0;
    std::int64_t m_Flushed = 0;

    // The writer thread and the one buffer it may be writing (guarded by m_Mutex).
    std::unique_ptr<char[]> m_Spare;
    std::thread m_Writer;
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    bool m_Pending = false; // a write waits for or is in the writer thread
    bool m_Quit = false;
    int m_WriterError = 0; // errno of a failed background write; sticks
    std::int64_t m_PendingOffset = 0;
    std::size_t m_PendingCount = 0;
};

// Little- and big-endian encoders into a byte string, for building records in memory.
void AppendInt32LE(std::string& out, std::int32_t v);
void AppendInt32BE(std::string& out, std::int32_t v);
void AppendUInt16LE(std::string& out, std::uint16_t v);
void AppendUInt32LE(std::string& out, std::uint32_t v);
void AppendDoubleLE(std::string& out, double v);

} // namespace lumora::exporter
