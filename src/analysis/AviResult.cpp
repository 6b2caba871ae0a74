#include "analysis/AviResult.h"

#include "platform/Error.h"

extern "C" {
#include <libavutil/error.h>
}

#include <cerrno>
#include <cstdio>

namespace lumora::analysis {

std::string AviResultText(std::uint32_t result) {
    switch (result) {
    case kAviUnregistered:
        return ": Unregistered File Type";
    case kAviUnsupported:
        return ": Compression Not Supported";
    case kAviBadFormat:
        return ": Bad/corrupt file format.";
    case kAviMemory:
        return ": Insufficient memory.";
    case kAviInternal:
        return ": AVI Internal Error";
    case kAviBadFlags:
        return ": Bad Flags";
    case kAviBadParam:
        return ": Bad Parameters";
    case kAviBadSize:
        return ": Bad size";
    case kAviBadHandle:
        return ": Bad Handle";
    case kAviFileRead:
        return ": Disk read error.";
    case kAviFileWrite:
        return ": File write error";
    case kAviFileOpen:
        return ": Disk open error.";
    case kAviCompressor:
        return ": Compressor Error";
    case kAviNoCompressor:
        return ": Suitable Compressor Not Found";
    case kAviReadOnly:
        return ": File opened Read only";
    case kAviNoData:
        return ": Files does not contains specified data type";
    case kAviBufferTooSmall:
        return ": Buffer Smaller Than Sample";
    case kAviCantCompress:
        return ": Unable to compress";
    case kAviUserAbort:
        return ": User abort";
    case kAviError:
        return ": AVI Error";
    default: {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(result));
        return std::string(" Unknown Error: ") + hex;
    }
    }
}

namespace {

// The system's errors: a file that cannot be opened (no folder, no permission, read-only disk)
// or a disk that cannot take more (full, over quota, too large, failing).
std::uint32_t SystemResult(int error, TAviStage stage) {
    switch (error) {
    case ENOMEM:
        return kAviMemory;
    case EROFS:
        return stage == TAviStage::Open ? kAviFileOpen : kAviReadOnly;
    case EACCES:
    case EPERM:
    case ENOENT:
    case ENOTDIR:
    case EISDIR:
    case ENAMETOOLONG:
    case EEXIST:
        return kAviFileOpen;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
    case EIO:
    case EPIPE:
        return stage == TAviStage::Open ? kAviFileOpen : kAviFileWrite;
    case EBADF:
        return kAviBadHandle;
    case EINVAL:
    case ERANGE:
        return kAviBadParam;
    case ENOSYS:
        return kAviUnsupported;
    default:
        return stage == TAviStage::Open ? kAviFileOpen : kAviFileWrite;
    }
}

} // namespace

std::uint32_t AviResultOf(int libraryResult, TAviStage stage) {
    if (libraryResult >= 0)
        return kAviOk;
    switch (libraryResult) {
    case AVERROR_ENCODER_NOT_FOUND:
    case AVERROR_DECODER_NOT_FOUND:
        return kAviNoCompressor;
    case AVERROR_MUXER_NOT_FOUND:
    case AVERROR_PROTOCOL_NOT_FOUND:
        return kAviUnregistered;
    case AVERROR_INVALIDDATA:
        return kAviBadFormat;
    case AVERROR_PATCHWELCOME:
        return kAviUnsupported;
    case AVERROR_BUG:
    case AVERROR_BUG2:
        return kAviInternal;
    case AVERROR_EXIT:
        return kAviUserAbort;
    case AVERROR_BUFFER_TOO_SMALL:
        return kAviBufferTooSmall;
    case AVERROR_EXTERNAL:
        return kAviCompressor;
    case AVERROR_EOF:
        return stage == TAviStage::Open ? kAviFileOpen : kAviFileWrite;
    case AVERROR_UNKNOWN:
        return kAviError;
    default:
        break;
    }
    const int error = AVUNERROR(libraryResult);
    if (error > 0 && error < 4096) // a system error number
        return SystemResult(error, stage);
    return kAviError;
}

void CheckAviResult(std::uint32_t result, const std::string& context) {
    if (result != kAviOk)
        throw Error(context + AviResultText(result));
}

} // namespace lumora::analysis
