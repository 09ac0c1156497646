#pragma once

#include <exception>

namespace mp3 {

// The decoder's one failure type for conditions that end a song: it carries
// the message text that the player shows as it stands.
class TextException : public std::exception {
public:
    explicit TextException(const char* text) noexcept : text_(text) {}
    const char* what() const noexcept override { return text_; }
    const char* text() const noexcept { return text_; }

private:
    const char* text_;
};

inline constexpr const char* notValidMp3Text = "Not a valid MP3 file";
inline constexpr const char* corruptMp3Text = "Corrupt MP3 file encountered";

} // namespace mp3
