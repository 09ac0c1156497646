#pragma once

#include <stdexcept>
#include <string>

// A failure that ends the program's start with a message: the entry's guard
// shows its text in an error box captioned "Application Exception".
class ShellError : public std::runtime_error {
public:
    explicit ShellError(const std::string& text) : std::runtime_error(text) {}
};
