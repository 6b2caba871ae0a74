// The result codes of video file calls and their messages: the library's and the system's errors
// mapped onto the codes the capture reports, and the check that turns a failing code into an
// error whose message is the call's context and the code's text.
#pragma once

#include <cstdint>
#include <string>

namespace lumora::analysis {

enum TAviResult : std::uint32_t {
    kAviOk = 0,
    kAviUnregistered = 0x80040154,
    kAviUnsupported = 0x80044065,
    kAviBadFormat = 0x80044066,
    kAviMemory = 0x80044067,
    kAviInternal = 0x80044068,
    kAviBadFlags = 0x80044069,
    kAviBadParam = 0x8004406A,
    kAviBadSize = 0x8004406B,
    kAviBadHandle = 0x8004406C,
    kAviFileRead = 0x8004406D,
    kAviFileWrite = 0x8004406E,
    kAviFileOpen = 0x8004406F,
    kAviCompressor = 0x80044070,
    kAviNoCompressor = 0x80044071,
    kAviReadOnly = 0x80044072,
    kAviNoData = 0x80044073,
    kAviBufferTooSmall = 0x80044074,
    kAviCantCompress = 0x80044075,
    kAviUserAbort = 0x800440C6,
    kAviError = 0x800440C7,
};

// The text that follows the context in a failure's message (": File write error"); any other
// code gives " Unknown Error: " and the code as 8 hexadecimal digits.
std::string AviResultText(std::uint32_t result);

// What a call is doing when the library fails: the same system error means another code while
// the file is opened than while frames are written.
enum class TAviStage { Open, Write };

// The code of an FFmpeg error (a negative AVERROR, which includes the system's errno values) met
// at stage; 0 for a result that is not negative.
std::uint32_t AviResultOf(int libraryResult, TAviStage stage);

// Passes 0; otherwise throws lumora::Error with context + AviResultText(result).
void CheckAviResult(std::uint32_t result, const std::string& context);

} // namespace lumora::analysis
