// Picture files that cannot be textures: missing, a folder, not a picture, cut short, too large
// by their header. Each fails with the file and the reason the user reads, and leaves the
// current texture, the read-out and the meshes as they were.
#include "ViewerTestScene.h"

#include "support/TestSupport.h"
#include "viewer/RockPicture.h"
#include "viewer/lvtxture.h"

#include <QBuffer>
#include <QImage>

#include <cstring>

using namespace lumora::scene;
using namespace lumora::viewer;
using lumora::test::TempDir;
using lumora::viewer::test::StartedViewer;

namespace {

void Little(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + std::size_t(i)] = char((value >> (8 * i)) & 0xFF);
}

// The picture encoded in a format ("JPG", "PPM").
std::string Encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    EXPECT_TRUE(buffer.open(QIODevice::WriteOnly) && image.save(&buffer, format)) << format;
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

// A whole black 24-bit bitmap of that size.
std::string Bitmap(std::uint32_t width, std::uint32_t height) {
    std::string bytes = RockBitmapBytes().substr(0, 54);
    const std::uint32_t row = (width * 3 + 3) & ~3u;
    Little(bytes, 2, 54 + row * height);
    Little(bytes, 18, width);
    Little(bytes, 22, height);
    Little(bytes, 34, row * height);
    return bytes + std::string(std::size_t(row) * height, '\0');
}

// The rock bitmap's header claiming another size (its pixels stay those of 256 x 256).
std::string BitmapClaiming(std::uint32_t width, std::uint32_t height) {
    std::string bytes = RockBitmapBytes();
    Little(bytes, 18, width);
    Little(bytes, 22, height);
    return bytes;
}

TEST(TextureFile, BadPicturesFailWithTheFileAndWhyAndChangeNothing) {
    StartedViewer v;
    TempDir dir;
    TTextures& t = v.core.Textures;
    ASSERT_NO_THROW(SaveRockPicture(dir.File("rock.bmp")));
    ASSERT_EQ(LoadTextureFile(v.s, t, dir.File("rock.bmp")), Result::Ok);
    const TexturePtr kept = t.CurrentTexture;
    const std::string readout = t.FileReadout;
    MeshBuilderPtr mesh = lumora::viewer::test::BoxMesh({0, 0, 0}, {1, 1, 1});
    mesh->SetTexture(kept);

    const std::string rock = RockBitmapBytes();
    const std::string png = kept->PngBytes();
    ASSERT_GT(png.size(), 1000u);
    lumora::test::WriteFile(dir.File("text.bmp"), "just some words, no picture at all");
    lumora::test::WriteFile(dir.File("short.bmp"), rock.substr(0, rock.size() / 2));
    lumora::test::WriteFile(dir.File("short.png"), png.substr(0, png.size() / 2));
    const std::string jpeg = Encoded(kept->Image(), "JPG"), ppm = Encoded(kept->Image(), "PPM");
    lumora::test::WriteFile(dir.File("short.jpg"), jpeg.substr(0, jpeg.size() * 2 / 3));
    lumora::test::WriteFile(dir.File("short.ppm"), ppm.substr(0, ppm.size() - 1));
    lumora::test::WriteFile(dir.File("wide.bmp"), Bitmap(16385, 2));
    lumora::test::WriteFile(dir.File("tall.bmp"), BitmapClaiming(4, 20000));
    lumora::test::WriteFile(dir.File("huge.bmp"), BitmapClaiming(16000, 16000)); // 1 GB decoded
    const std::string tooLarge = "the picture is too large (";
    // Each warning names the file and begins with why it was refused.
    const struct {
        std::string Path, Reason;
    } cases[] = {
        {dir.File("missing.bmp"), std::strerror(ENOENT)},
        {dir.Path().string(), "Is a directory"},
        {dir.File("text.bmp"), "the file is not a picture (BMP, PPM, PNG or JPEG)"},
        {dir.File("short.bmp"), "the file is cut short"},
        {dir.File("short.png"), "the picture cannot be decoded"},
        {dir.File("short.jpg"), "the file is cut short"},
        {dir.File("short.ppm"), "the picture cannot be decoded"},
        {dir.File("wide.bmp"), tooLarge + "16385 x 2 pixels; at most 16384 a side and 256 MB"},
        {dir.File("tall.bmp"), tooLarge + "4 x 20000 pixels"},
        {dir.File("huge.bmp"), tooLarge + "16000 x 16000 pixels"},
    };
    for (const auto& c : cases) {
        v.ui.Warnings.clear();
        std::string reason;
        const Result result = LoadTextureFile(v.s, t, c.Path, &reason);
        EXPECT_FALSE(CheckFileResult(v.ui, result, c.Path, reason)) << c.Path;
        ASSERT_EQ(v.ui.Warnings.size(), 1u) << c.Path;
        EXPECT_EQ(v.ui.Warnings[0].rfind(c.Path + ": " + c.Reason, 0), 0u) << v.ui.Warnings[0];
        EXPECT_EQ(t.CurrentTexture, kept) << c.Path;
        EXPECT_EQ(t.FileReadout, readout) << c.Path;
        EXPECT_EQ(mesh->GetTexture(), kept) << c.Path;
    }
    EXPECT_EQ(kept->GetName(), "rock.bmp");
    // Pictures of the largest side still load.
    lumora::test::WriteFile(dir.File("widest.bmp"), Bitmap(16384, 2));
    EXPECT_EQ(LoadTextureFile(v.s, t, dir.File("widest.bmp")), Result::Ok);
    EXPECT_EQ(t.FileReadout, "widest.bmp 16384X2");
    for (const auto& [name, bytes] : {std::pair{"rock.jpg", jpeg}, {"rock.ppm", ppm}}) {
        lumora::test::WriteFile(dir.File(name), bytes);
        EXPECT_EQ(LoadTextureFile(v.s, t, dir.File(name)), Result::Ok) << name;
    }
    lumora::test::WriteFile(dir.File("rock.png"), png);
    EXPECT_EQ(LoadTextureFile(v.s, t, dir.File("rock.png")), Result::Ok);
    EXPECT_EQ(t.FileReadout, "rock.png 256X256");
}

} // namespace
