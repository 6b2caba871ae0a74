// A picture used as a texture or a background: the decoded image and its drawing settings.
#pragma once

#include "platform/scene/Result.h"
#include "platform/scene/SceneObject.h"

#include <QImage>

namespace lumora::scene {

class Texture : public SceneObject {
public:
    Texture(QImage image, std::uint32_t colors, std::uint32_t shades)
        : m_Image(std::move(image)), m_Colors(colors), m_Shades(shades) {}
    std::string ClassName() const override { return "Texture"; }

    // Loads a picture file (BMP, PPM, PNG, JPEG). The texture's name is left empty. A refused
    // file leaves texture as it was and, when reason is given, says why in a few words
    // ("the file is cut short"); empty when the file could not be opened.
    static Result Load(const std::string& path, std::uint32_t colors, std::uint32_t shades,
                       std::shared_ptr<Texture>& texture, std::string* reason = nullptr);

    const QImage& Image() const { return m_Image; }
    // The picture as the bytes of a PNG file (8 bits a channel, no colour-space chunks); empty
    // when it cannot be encoded.
    std::string PngBytes() const;
    int GetWidth() const { return m_Image.width(); }
    int GetHeight() const { return m_Image.height(); }
    void SetColors(std::uint32_t colors) { m_Colors = colors; }
    std::uint32_t GetColors() const { return m_Colors; }
    void SetShades(std::uint32_t shades) { m_Shades = shades; }
    std::uint32_t GetShades() const { return m_Shades; }
    void SetDecalOrigin(int x, int y) { m_DecalOriginX = x, m_DecalOriginY = y; }
    int GetDecalOriginX() const { return m_DecalOriginX; }
    int GetDecalOriginY() const { return m_DecalOriginY; }
    void SetDecalScale(std::uint32_t scale) { m_DecalScale = scale; }
    std::uint32_t GetDecalScale() const { return m_DecalScale; }

private:
    QImage m_Image;
    std::uint32_t m_Colors;
    std::uint32_t m_Shades;
    int m_DecalOriginX = 0, m_DecalOriginY = 0;
    std::uint32_t m_DecalScale = 1;
};

using TexturePtr = std::shared_ptr<Texture>;

} // namespace lumora::scene
