#pragma once

#include <QObject>

#include "UserMessages.h"

// Message boxes over no window, above the topmost player. ask() waits for the
// answer on the window thread; post() may come from any thread and returns at
// once: the box is shown by the window thread when it gets there.
class QtMessages : public QObject, public UserMessages {
public:
    MessageAnswer ask(const std::string& caption, const std::string& text, MessageIcon icon,
                      MessageButtons buttons) override;
    void post(const std::string& caption, const std::string& text, MessageIcon icon) override;
};
