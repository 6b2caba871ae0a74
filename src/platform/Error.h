// The exception family of Lumora: unexpected failures carry a readable message.
#pragma once

#include <stdexcept>
#include <string>

namespace lumora {

// Base of every failure Lumora raises on purpose; what() is the text shown to the user.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// A plot file could not be opened or read; the message names the file and, where known, the line
// ("cave.plt:1234: Invalid numeric input").
class PlotFileError : public Error {
public:
    using Error::Error;
};

// A file could not be written completely; the message names the file and the reason.
class WriteError : public Error {
public:
    using Error::Error;
};

} // namespace lumora
