#include "platform/scene/Texture.h"

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

} // namespace lumora::scene
