// Fuzz target: texture and background pictures loaded from arbitrary bytes (as a BMP, PPM, PNG or
// JPEG file, by the input's length), and a loaded picture encoded again as PNG.
#include "FuzzSupport.h"

#include "platform/scene/Root.h"
#include "platform/scene/Texture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumora;
    static const char* const kNames[] = {"picture.bmp", "picture.ppm", "picture.png",
                                         "picture.jpg"};
    const std::string file = fuzz::Scratch().File(kNames[size % 4]);
    fuzz::WriteBytes(file, data, size);
    scene::Root root;
    scene::TexturePtr texture;
    if (root.LoadTexture(file, texture) == scene::Result::Ok && texture)
        texture->PngBytes();
    return 0;
}
