// Result codes of the scene calls and their readable descriptions.
#pragma once

#include <string_view>

namespace lumora::scene {

enum class Result {
    Ok = 0,
    BadValue,      // an argument is out of range or missing
    BadObject,     // the object is absent or of the wrong kind
    NotFound,      // the object is not where the call looked for it
    FileNotFound,  // the file could not be opened
    BadFile,       // the file is broken, truncated or of a format that cannot be read
    BadImage,      // the picture could not be decoded
    WriteFailed,   // the file could not be written completely
    LimitExceeded, // a count or size is beyond what the scene holds
};

// The text shown to the user for a result code.
std::string_view ResultText(Result result);

inline bool Succeeded(Result result) {
    return result == Result::Ok;
}

} // namespace lumora::scene
