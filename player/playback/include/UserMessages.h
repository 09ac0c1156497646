#pragma once

#include <string>

// Message boxes as the player needs them: a caption, a text, an icon and a
// set of buttons. The window shell shows them; tests record them.
enum class MessageIcon { none, information, warning, error, question };
enum class MessageButtons { ok, okCancel, yesNo, yesNoCancel };
enum class MessageAnswer { ok, cancel, yes, no };

class UserMessages {
public:
    virtual ~UserMessages() = default;

    // Shows a box and waits for the user's answer. Window thread only.
    virtual MessageAnswer ask(const std::string& caption, const std::string& text, MessageIcon icon,
                              MessageButtons buttons) = 0;

    // Shows a box with an OK button and returns at once, from any thread. The
    // player thread uses only this: the window thread may be waiting for it to
    // stop, so waiting for the window thread in turn would never end.
    virtual void post(const std::string& caption, const std::string& text, MessageIcon icon) = 0;
};
