#pragma once

#include <QObject>
#include <QPointer>
#include <vector>

#include "UserMessages.h"

class QMessageBox;

// Message boxes over no window, above the topmost player. ask() is the
// window thread's own question: it waits for the answer, and the player's
// window waits with it. post() may come from any thread and returns at once;
// its box, shown when the window thread gets there, blocks nobody: the
// player's window stays usable, and the box goes when the program ends.
class QtMessages : public QObject, public UserMessages {
public:
    QtMessages() = default;
    ~QtMessages() override;

    MessageAnswer ask(const std::string& caption, const std::string& text, MessageIcon icon,
                      MessageButtons buttons) override;
    void post(const std::string& caption, const std::string& text, MessageIcon icon) override;

private:
    void show(const std::string& caption, const std::string& text, MessageIcon icon);

    std::vector<QPointer<QMessageBox>> posted_;
};
