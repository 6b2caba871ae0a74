#include "platform/scene/Texture.h"

#include <QBuffer>
#include <QByteArray>
#include <QColorSpace>
#include <QImageReader>

#include <filesystem>

namespace lumora::scene {

Result Texture::Load(const std::string& path, std::uint32_t colors, std::uint32_t shades,
                     std::shared_ptr<Texture>& texture) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return Result::FileNotFound;
    QImageReader reader(QString::fromStdString(path));
    QImage image = reader.read();
    if (image.isNull() || image.width() == 0 || image.height() == 0)
        return Result::BadImage;
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
