#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <chrono>
#include <deque>
#include <functional>
#include <optional>

class QLocalServer;
class QLocalSocket;
class QWidget;

namespace glint {

// What a later start asks of the running copy: to come forward and take an
// Enter key press, or to go to a path.
struct HandOver {
    QString path; // empty: come forward with Enter

    QByteArray request() const;
    // Nothing for a line that is neither request, or names a path longer than longestPath.
    static std::optional<HandOver> fromRequest(const QByteArray& line);

    // The longest path in bytes a start takes, from its command line or from
    // another process: the platform's limit, less the terminating NUL.
    static qsizetype longestPath();
    // For a path longer than that: one short line saying so, with its start.
    static QString tooLongText(const QString& path);
};

// One running copy per user and display. A later start finds the running
// copy's local server, in a folder only this user can make files in, and
// hands over to a server of the same user only: without a path the copy
// comes forward and takes an Enter key press; with one it comes forward and
// goes there. The copy answers as soon as it has the request, and acts on it
// after, so that a message it shows never holds the later start, which ends.
class SingleInstance final : public QObject {
    Q_OBJECT
public:
    // The display a program connects to, for the server name: the X11
    // display without its screen (":0" and ":0.0" are one display) unless
    // the platform is Wayland or no X11 display is set; then the Wayland one.
    static QString displayOf(const QString& platform, const QString& x11Display, const QString& waylandDisplay);
    // The server's path for this user on the display this program uses, in
    // the user's runtime folder or else in a folder of the program's own in
    // the temporary folder; empty (after a line saying why) when neither is
    // private: the copy then runs on its own.
    static QString serverName();

    // True when a running copy of this user answered `name` and has the
    // hand-over; false for no answer, or a server of another user.
    static bool handOverToRunningCopy(const QString& name, const HandOver& handOver, int timeoutMs);

    // At most this many connections are open at once; a connection may stay
    // silent this long.
    static constexpr std::size_t mostOpenConnections = 16;
    static constexpr std::chrono::milliseconds longestSilence{5000};

    // `goTo` takes the paths handed over.
    SingleInstance(std::function<void(const QString&)> goTo, QObject* parent = nullptr);
    // Starts answering later starts on `name`, bringing `window` forward.
    // Connections that stay silent, and the oldest beyond a few open ones,
    // are dropped, so that idle clients never use up the program's files.
    bool listen(const QString& name, QWidget* window);

    // Brings `window` to the front.
    static void activate(QWidget* window);
    // Brings `window` to the front and delivers one Enter key press to the
    // control that has its focus (the window itself when none has).
    static void activateWithEnter(QWidget* window);

private:
    void answer();
    void serve(QLocalSocket* socket);
    void forget(QLocalSocket* socket);
    void act(const HandOver& handOver);

    QLocalServer* server_;
    QWidget* window_ = nullptr;
    std::function<void(const QString&)> goTo_;
    // The connections that have not yet sent a whole request, oldest first.
    std::deque<QPointer<QLocalSocket>> waiting_;
};

} // namespace glint
