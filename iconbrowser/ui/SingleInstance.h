#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QLocalServer;
class QWidget;

namespace glint {

// What a later start asks of the running copy: to come forward and take an
// Enter key press, or to go to a path.
struct HandOver {
    QString path; // empty: come forward with Enter

    QByteArray request() const;
    // Nothing for a line that is neither request.
    static std::optional<HandOver> fromRequest(const QByteArray& line);
};

// One running copy per user and display. A later start finds the running
// copy's local server and hands over: without a path the copy comes forward
// and takes an Enter key press; with one it comes forward and goes there.
// The later start waits until that has been done, and ends.
class SingleInstance final : public QObject {
    Q_OBJECT
public:
    // The display a program connects to, for the server name: the X11
    // display without its screen (":0" and ":0.0" are one display) unless
    // the platform is Wayland or no X11 display is set; then the Wayland one.
    static QString displayOf(const QString& platform, const QString& x11Display, const QString& waylandDisplay);
    // The server name for this user on the display this program uses.
    static QString serverName();

    // True when a running copy answered `name` and has handled the hand-over.
    static bool handOverToRunningCopy(const QString& name, const HandOver& handOver, int timeoutMs);

    // `goTo` takes the paths handed over.
    SingleInstance(std::function<void(const QString&)> goTo, QObject* parent = nullptr);
    // Starts answering later starts on `name`, bringing `window` forward.
    bool listen(const QString& name, QWidget* window);

    // Brings `window` to the front.
    static void activate(QWidget* window);
    // Brings `window` to the front and delivers one Enter key press to the
    // control that has its focus (the window itself when none has).
    static void activateWithEnter(QWidget* window);

private:
    void answer();

    QLocalServer* server_;
    QWidget* window_ = nullptr;
    std::function<void(const QString&)> goTo_;
};

} // namespace glint
