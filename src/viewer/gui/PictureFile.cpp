#include "viewer/gui/PictureFile.h"

#include "platform/Error.h"
#include "platform/SafeFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <string_view>

namespace lumora::viewer {

void WritePictureFile(const QImage& picture, const std::string& path, const char* format) {
    if (picture.isNull())
        throw WriteError(path + ": there is no picture to write");
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, format))
        throw WriteError(path + ": the picture cannot be encoded as " + format);
    platform::WriteFileContents(path,
                                std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

} // namespace lumora::viewer
