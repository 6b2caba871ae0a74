#include "platform/scene/Result.h"

namespace lumora::scene {

std::string_view ResultText(Result result) {
    switch (result) {
    case Result::Ok:
        return "No error.";
    case Result::BadValue:
        return "Invalid parameter value.";
    case Result::BadObject:
        return "Invalid or missing scene object.";
    case Result::NotFound:
        return "Object not found.";
    case Result::FileNotFound:
        return "The file could not be opened.";
    case Result::BadFile:
        return "The file is damaged or is not a mesh file that can be read.";
    case Result::BadImage:
        return "The picture could not be read or decoded.";
    case Result::WriteFailed:
        return "The file could not be written.";
    case Result::LimitExceeded:
        return "The scene limit was exceeded.";
    }
    return "Unknown error.";
}

} // namespace lumora::scene
