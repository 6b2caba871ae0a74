#include "exporter/BinaryFile.h"

#include "platform/Error.h"

#include <bit>
#include <cerrno>
#include <cstring>
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

TBinaryFile::TBinaryFile(const std::string& fileName) : m_FileName(fileName) {
    m_Fd = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (m_Fd < 0)
        Fail("cannot create the file", errno);
    m_Buffer.reserve(kBufferSize + 4096);
}

TBinaryFile::~TBinaryFile() {
    if (m_Fd >= 0)
        ::close(m_Fd);
}

void TBinaryFile::Fail(const std::string& action, int error) const {
    throw WriteError(m_FileName + ": " + action + ": " + std::strerror(error));
}

void TBinaryFile::Write(const void* data, std::size_t count) {
    m_Buffer.append(static_cast<const char*>(data), count);
    FlushIfFull();
}

void TBinaryFile::WriteInt32BE(std::int32_t v) {
    AppendInt32BE(m_Buffer, v), FlushIfFull();
}
void TBinaryFile::WriteInt32LE(std::int32_t v) {
    AppendInt32LE(m_Buffer, v), FlushIfFull();
}
void TBinaryFile::WriteUInt16LE(std::uint16_t v) {
    AppendUInt16LE(m_Buffer, v), FlushIfFull();
}
void TBinaryFile::WriteUInt32LE(std::uint32_t v) {
    AppendUInt32LE(m_Buffer, v), FlushIfFull();
}
void TBinaryFile::WriteDoubleLE(double v) {
    AppendDoubleLE(m_Buffer, v), FlushIfFull();
}

void TBinaryFile::PatchInt32BE(std::int64_t offset, std::int32_t v) {
    std::string bytes;
    AppendInt32BE(bytes, v);
    if (offset >= m_Flushed) {
        std::memcpy(m_Buffer.data() + (offset - m_Flushed), bytes.data(), 4);
        return;
    }
    WriteAt(offset, bytes.data(), 4);
}

void TBinaryFile::WriteAt(std::int64_t offset, const char* data, std::size_t count) {
    if (m_Fd < 0)
        Fail("write after close", EBADF);
    while (count > 0) {
        const ssize_t n = ::pwrite(m_Fd, data, count, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            Fail("write failed", n < 0 ? errno : ENOSPC);
        data += n;
        count -= static_cast<std::size_t>(n);
        offset += n;
    }
}

void TBinaryFile::Flush() {
    if (m_Buffer.empty())
        return;
    WriteAt(m_Flushed, m_Buffer.data(), m_Buffer.size());
    m_Flushed += static_cast<std::int64_t>(m_Buffer.size());
    m_Buffer.clear();
}

void TBinaryFile::Close() {
    if (m_Fd < 0)
        return;
    Flush();
    const int fd = m_Fd;
    m_Fd = -1;
    if (::close(fd) != 0)
        Fail("close failed", errno);
}

} // namespace lumora::exporter
