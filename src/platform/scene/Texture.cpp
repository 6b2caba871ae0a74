#include "platform/scene/Texture.h"

#include <QBuffer>
#include <QByteArray>
#include <QColorSpace>
#include <QImageReader>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace lumora::scene {

namespace {

// The largest picture taken as a texture: 16384 pixels a side, 256 MB once decoded (4 bytes a
// pixel). A bigger one is refused from its header, before any memory is spent on it.
constexpr int kMaxTextureSide = 16384;
constexpr std::int64_t kMaxTextureBytes = std::int64_t(256) << 20;

bool TooLarge(const QSize& size) {
    return size.width() > kMaxTextureSide || size.height() > kMaxTextureSide ||
           std::int64_t(size.width()) * size.height() * 4 > kMaxTextureBytes;
}

std::uint32_t Little(const std::string& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | std::uint8_t(bytes[at + std::size_t(i)]);
    return value;
}

// Whether a bitmap or JPEG file ends before its pixels do. The decoder hands such a picture back
// as if whole (the missing part filled in), so the file is measured against its header instead.
bool CutShort(const std::string& path, const QByteArray& format) {
    std::ifstream file(path, std::ios::binary);
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (!file || error)
        return true;
    if (format == "bmp") {
        std::string header(54, '\0');
        if (!file.read(header.data(), std::streamsize(header.size())))
            return true;
        const std::uint32_t compression = Little(header, 30, 4);
        // An old-style header, or run-length coded pixels: no size to measure against.
        if (Little(header, 14, 4) < 40 || (compression != 0 && compression != 3))
            return false;
        const std::int64_t width = std::int32_t(Little(header, 18, 4));
        const std::int64_t height = std::abs(std::int64_t(std::int32_t(Little(header, 22, 4))));
        const std::int64_t bits = Little(header, 28, 2);
        const std::int64_t row = (std::abs(width) * bits + 31) / 32 * 4;
        return std::int64_t(size) < std::int64_t(Little(header, 10, 4)) + row * height;
    }
    if (format == "jpeg") { // the picture's end marker lies near the end of the file
        const std::uint64_t tail = std::min<std::uint64_t>(size, 1024);
        std::string last(tail, '\0');
        file.seekg(std::streamoff(size - tail));
        if (!file.read(last.data(), std::streamsize(tail)))
            return true;
        return last.find("\xFF\xD9") == std::string::npos;
    }
    return false;
}

} // namespace

Result Texture::Load(const std::string& path, std::uint32_t colors, std::uint32_t shades,
                     std::shared_ptr<Texture>& texture, std::string* reason) {
    auto refuse = [&](Result result, const std::string& why) {
        if (reason)
            *reason = why;
        return result;
    };
    auto tooLarge = [&](const QSize& size) {
        return refuse(Result::LimitExceeded,
                      "the picture is too large (" + std::to_string(size.width()) + " x " +
                          std::to_string(size.height()) + " pixels; at most " +
                          std::to_string(kMaxTextureSide) + " a side and " +
                          std::to_string(kMaxTextureBytes >> 20) + " MB decoded)");
    };
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return refuse(Result::FileNotFound, {});
    QImageReader reader(QString::fromStdString(path));
    reader.setAllocationLimit(int(kMaxTextureBytes >> 20));
    if (!reader.canRead())
        return refuse(Result::BadImage, "the file is not a picture (BMP, PPM, PNG or JPEG)");
    if (const QSize size = reader.size(); size.isValid() && TooLarge(size))
        return tooLarge(size);
    if (CutShort(path, reader.format()))
        return refuse(Result::BadImage, "the file is cut short");
    QImage image;
    if (!reader.read(&image) || image.isNull() || image.width() == 0 || image.height() == 0)
        return refuse(Result::BadImage,
                      "the picture cannot be decoded (" + reader.errorString().toStdString() + ")");
    if (TooLarge(image.size()))
        return tooLarge(image.size());
    texture = std::make_shared<Texture>(std::move(image), colors, shades);
    return Result::Ok;
}

std::string Texture::PngBytes() const {
    QImage image = m_Image.convertToFormat(m_Image.hasAlphaChannel() ? QImage::Format_RGBA8888
                                                                     : QImage::Format_RGB888);
    image.setColorSpace(QColorSpace()); // plain sRGB bytes, no profile chunk
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return {};
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

} // namespace lumora::scene
