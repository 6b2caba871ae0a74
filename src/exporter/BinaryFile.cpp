#include "exporter/BinaryFile.h"

#include "platform/Error.h"
#include "platform/SafeFile.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace lumora::exporter {

namespace {

std::uint32_t ToBigEndian(std::uint32_t v) {
    if constexpr (std::endian::native == std::endian::little)
        return __builtin_bswap32(v);
    return v;
}

template <class T> void AppendRawLE(std::string& out, T v) {
    static_assert(std::endian::native == std::endian::little, "little-endian hosts only");
    out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

// Writes all count bytes at offset; 0 on success, else the reason (ENOSPC for a write that made
// no progress).
int WriteAll(int fd, const char* data, std::size_t count, std::int64_t offset) {
    while (count > 0) {
        const ssize_t n = ::pwrite(fd, data, count, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        data += n;
        count -= static_cast<std::size_t>(n);
        offset += n;
    }
    return 0;
}

} // namespace

void AppendInt32LE(std::string& out, std::int32_t v) {
    AppendRawLE(out, v);
}
void AppendUInt16LE(std::string& out, std::uint16_t v) {
    AppendRawLE(out, v);
}
void AppendUInt32LE(std::string& out, std::uint32_t v) {
    AppendRawLE(out, v);
}
void AppendDoubleLE(std::string& out, double v) {
    AppendRawLE(out, v);
}
void AppendInt32BE(std::string& out, std::int32_t v) {
    AppendRawLE(out, ToBigEndian(static_cast<std::uint32_t>(v)));
}

TBinaryFile::TBinaryFile(const std::string& fileName, TMode mode)
    : m_FileName(fileName), m_Buffer(new char[kBufferSize]) {
    static_assert(std::endian::native == std::endian::little, "little-endian hosts only");
    if (mode == TMode::Replace) {
        m_Safe = std::make_unique<platform::TSafeFile>(fileName);
        m_Fd = m_Safe->Fd();
        return;
    }
    if (const auto problem = platform::TargetProblem(fileName))
        throw WriteError(fileName + ": " + *problem);
    m_Fd = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (m_Fd < 0)
        Fail("cannot create the file", errno);
}

TBinaryFile::~TBinaryFile() {
    StopWriter();
    if (m_Safe)
        m_Safe->Discard(); // closes m_Fd and removes the unfinished file
    else if (m_Fd >= 0)
        ::close(m_Fd);
}

void TBinaryFile::Fail(const std::string& action, int error) const {
    throw WriteError(m_FileName + ": " + action + ": " + std::strerror(error));
}

void TBinaryFile::Write(const void* data, std::size_t count) {
    const char* bytes = static_cast<const char*>(data);
    while (count > 0) {
        const std::size_t room = kBufferSize - m_Used;
        const std::size_t part = std::min(room, count);
        std::memcpy(m_Buffer.get() + m_Used, bytes, part);
        m_Used += part;
        bytes += part;
        count -= part;
        if (m_Used == kBufferSize)
            Flush();
    }
}

void TBinaryFile::WriteInt32BE(std::int32_t v) {
    WriteRaw(ToBigEndian(static_cast<std::uint32_t>(v)));
}

void TBinaryFile::PatchInt32BE(std::int64_t offset, std::int32_t v) {
    const std::uint32_t big = ToBigEndian(static_cast<std::uint32_t>(v));
    Patch(offset, reinterpret_cast<const char*>(&big), 4);
}

void TBinaryFile::PatchUInt32LE(std::int64_t offset, std::uint32_t v) {
    Patch(offset, reinterpret_cast<const char*>(&v), 4);
}

void TBinaryFile::PatchDoubleLE(std::int64_t offset, double v) {
    Patch(offset, reinterpret_cast<const char*>(&v), 8);
}

// The part of the patch that lies in the buffer is changed there, the part already handed on is
// written into the file once the writer thread has finished with it.
void TBinaryFile::Patch(std::int64_t offset, const char* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i, ++offset) {
        if (offset >= m_Flushed) {
            m_Buffer[static_cast<std::size_t>(offset - m_Flushed)] = bytes[i];
        } else {
            WaitForWriter();
            WriteAt(offset, bytes + i, 1);
        }
    }
}

void TBinaryFile::WriteAt(std::int64_t offset, const char* data, std::size_t count) {
    if (m_Fd < 0)
        Fail("write after close", EBADF);
    if (const int error = WriteAll(m_Fd, data, count, offset); error != 0)
        Fail("write failed", error);
}

void TBinaryFile::WriterLoop() {
    std::unique_lock<std::mutex> lock(m_Mutex);
    for (;;) {
        m_Changed.wait(lock, [&] { return m_Pending || m_Quit; });
        if (!m_Pending)
            return;
        const char* data = m_Spare.get();
        const std::size_t count = m_PendingCount;
        const std::int64_t offset = m_PendingOffset;
        const bool failed = m_WriterError != 0;
        lock.unlock();
        const int error = failed ? 0 : WriteAll(m_Fd, data, count, offset);
        lock.lock();
        if (error != 0)
            m_WriterError = error;
        m_Pending = false;
        m_Changed.notify_all();
    }
}

void TBinaryFile::WaitForWriter() {
    if (!m_Writer.joinable())
        return;
    std::unique_lock<std::mutex> lock(m_Mutex);
    m_Changed.wait(lock, [&] { return !m_Pending; });
    if (m_WriterError != 0)
        Fail("write failed", m_WriterError);
}

void TBinaryFile::StopWriter() noexcept {
    if (!m_Writer.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Quit = true;
    }
    m_Changed.notify_all();
    m_Writer.join();
}

void TBinaryFile::Flush() {
    if (m_Used == 0)
        return;
    if (m_Fd < 0)
        Fail("write after close", EBADF);
    WaitForWriter();
    if (!m_Spare)
        m_Spare.reset(new char[kBufferSize]);
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        std::swap(m_Buffer, m_Spare);
        m_PendingOffset = m_Flushed;
        m_PendingCount = m_Used;
        m_Pending = true;
    }
    if (m_Writer.joinable())
        m_Changed.notify_all();
    else
        m_Writer = std::thread([this] { WriterLoop(); });
    m_Flushed += static_cast<std::int64_t>(m_Used);
    m_Used = 0;
}

void TBinaryFile::Close() {
    if (m_Fd < 0)
        return;
    WaitForWriter();
    WriteAt(m_Flushed, m_Buffer.get(), m_Used);
    m_Flushed += static_cast<std::int64_t>(m_Used);
    m_Used = 0;
    StopWriter();
    const int fd = m_Fd;
    m_Fd = -1;
    if (m_Safe) {
        m_Safe->Commit();
        m_Safe.reset();
        return;
    }
    if (::close(fd) != 0)
        Fail("close failed", errno);
}

} // namespace lumora::exporter
