#pragma once

// The desktop room: what ties the player to the desktop it runs on. The
// player on the session bus as the desktop's media controls expect it
// (MprisService, over the MediaControls and NowPlaying it is given), one
// running player per user and display (SingleInstance, over HandOff.h), the
// desktop's requests to end (EndSignals), the loss of the display
// (DisplayLoss), the screens and the display server (platform), and what a
// drop names (droppedPath). It knows nothing of the skin, the settings or
// the player's window: the app room gives it the player through the two
// interfaces below. It depends on the song tags and on Qt (widgets, network,
// D-Bus).
//
// How it fails: nothing here throws. Without a session bus or a private
// folder the player runs without them, and says so once on standard error; a
// call from the bus with wrong arguments is answered with the bus's error; a
// display that cannot be reached ends the program with one line saying so.

#include <QDBusConnection>
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QTimer>
#include <QVariantMap>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class MprisBusObject;
class QLocalSocket;
class QMimeData;
class QSocketNotifier;
class QWidget;

// The texts of the desktop room, each written once.
namespace shelltext {

// The main window's class: the name of the running player's lock and socket
// too.
inline constexpr const char* mainWindowClass = "Sonorbox MP3";

} // namespace shelltext

// What the desktop's media controls ask the player to do; the app room's
// PlayerActions carries it out.
class MediaControls {
public:
    virtual ~MediaControls() = default;

    // 0 to 100.
    virtual int volume() const = 0;
    virtual void setVolume(int volume) = 0;
    virtual void play() = 0;
    virtual void togglePause() = 0;
    virtual void stop() = 0;
    virtual void next() = 0;
    virtual void previous() = 0;
    // Seconds from the start of the song heard.
    virtual void seekTo(double seconds) = 0;
    virtual void playPath(const std::string& path) = 0;
    virtual void quit(bool askAboutSkin) = 0;
};

enum class PlaybackState { stopped, paused, playing };

// One consistent record of what is heard: every part of it belongs to the
// same song and moment, also at a song change.
struct HeardNow {
    // A new number each time a song begins to be heard (the same song again
    // too); 0 before the first.
    std::uint64_t songNumber = 0;
    std::string songPath;
    // The title line's text for the song: its file name less the extension.
    QString titleText;
    // Exact, from the stream's length; 0 while unknown.
    std::int64_t lengthMicroseconds = 0;
    // 0 while stopped.
    std::int64_t positionMicroseconds = 0;
    PlaybackState state = PlaybackState::stopped;
};

// What the desktop's media controls ask of the player: which song is heard,
// how long it is and where it is. Read on the window thread, when asked.
class NowPlaying {
public:
    virtual ~NowPlaying() = default;

    virtual HeardNow now() const = 0;
    // From a seek asked until the player has moved to its place.
    virtual bool seekPending() const = 0;
};

// The player on the session bus as the desktop's media controls expect it
// (MPRIS 2): as "org.mpris.MediaPlayer2.sonorbox", or when another player
// holds that name "org.mpris.MediaPlayer2.sonorbox.instance<pid>", for as
// long as this object lives. Without a session bus it does nothing. Its
// methods are carried out by the player's actions; it tells the bus of each
// change that refresh finds and of each seek once the player has moved. The
// calls from the bus reach it through its bus object, which checks their
// arguments.
class MprisService : public QObject {
    Q_OBJECT

public:
    MprisService(const NowPlaying& nowPlaying, MediaControls& actions, QWidget& window);
    ~MprisService() override;

    // The name held on the bus; empty when not on one.
    const QString& busName() const { return busName_; }

    // Compares what the player shows with what the bus was last told, and
    // tells it what changed. Cheap: called at every change the window shows.
    void refresh();
    // A seek was asked: once the player has moved, Seeked tells the place.
    void noteSeekAsked();

    void raise();
    void quit();

    QString playbackStatus() const;
    QVariantMap metadata() const;
    double volume() const;
    void setVolume(double volume);
    std::int64_t position() const;
    void play();
    void pause();
    void playPause();
    void stop();
    void next();
    void previous();
    void seek(std::int64_t offset);
    void setPosition(const QString& trackId, std::int64_t position);
    // False, doing nothing, for a uri naming no local file or folder.
    bool openUri(const QString& uri);

private:
    static QString trackIdOf(const HeardNow& heard);
    QVariantMap metadataOf(const HeardNow& heard) const;
    void seekTo(std::int64_t microseconds);
    void tellSeekDone();
    void tellChanged(const QVariantMap& changed);

    const NowPlaying& nowPlaying_;
    MediaControls& actions_;
    QWidget& window_;
    QDBusConnection bus_;
    QString busName_;
    std::unique_ptr<MprisBusObject> busObject_;
    // What the bus was last told.
    QString toldStatus_;
    int toldVolume_ = -1;
    std::uint64_t toldSong_ = 0;
    std::int64_t toldLength_ = -1;
    // The tags of the song last asked for, read once a song.
    mutable std::string tagsPath_;
    mutable QVariantMap tags_;
    // While playing, the time shown changes every second and each change
    // refreshes; when it has not for longer, the player may have ended by
    // itself, which nothing shows: this looks once more.
    QTimer playingWatch_;
    // Watches a seek asked until the player has made it.
    QTimer seekWatch_;
    int seekWatchTicks_ = 0;
};

// One running player per user and display. The running player holds a lock
// file and listens on a local socket, both in a folder only this user can
// make files in (the runtime folder, or one of the player's own in the
// temporary folder) and named for the display it shows its window on; a
// second start hands its path over through the socket, to a listener of the
// same user only, and ends when the running player has taken it over. A
// crashed player leaves a lock that its dead process no longer holds and a
// socket that nobody answers: the next start takes both over.
class SingleInstance {
public:
    // folder: where the lock and the socket live; empty for the private
    // folder of handofffolder::choose. display: the display the player shows
    // its window on (platform::displayName), empty for none. patience: how
    // long a second start keeps trying to reach a player that holds the lock
    // but does not listen yet (still starting, or asking for a skin).
    explicit SingleInstance(const QString& folder = QString(), const QString& display = QString(),
                            std::chrono::milliseconds patience = std::chrono::seconds(20));
    ~SingleInstance();

    // True when this process is now the running player. Of two processes
    // that ask at the same moment, exactly one is. Without a private folder
    // the player runs on its own (and says so): always true.
    bool claim();

    // For the running player: from now on every handed-over path (empty from
    // a start without one) is given to takeOver on the window thread, and the
    // second start is let go after.
    // Connections that stay silent, and the oldest beyond a few open ones,
    // are dropped, so that idle clients never use up the player's files.
    bool listen(std::function<void(const std::string&)> takeOver);

    enum class Answer {
        taken,       // the running player has taken the path over
        notAnswered, // no running player answered
        otherUser,   // the socket is another user's: nothing was sent, and this start is to run as the player
    };
    // For a second start: hands path over and waits until the running player
    // has taken it.
    Answer handOver(const std::string& path);

    // The socket's path; empty without a private folder.
    const QString& socketPath() const { return socketPath_; }

    // At most this many connections are open at once; a connection may stay
    // silent this long.
    static constexpr std::size_t mostOpenConnections = 16;
    static constexpr std::chrono::milliseconds longestSilence{5000};

private:
    void serve(QLocalSocket* socket);
    void forget(QLocalSocket* socket);

    std::string noFolderReason_; // before socketPath_, which finds it
    QString socketPath_;
    std::chrono::milliseconds patience_;
    QLockFile lock_;
    std::unique_ptr<QLocalServer> server_;
    std::function<void(const std::string&)> takeOver_;
    // The connections that have not yet sent a whole message, oldest first.
    std::deque<QPointer<QLocalSocket>> waiting_;
};

// The desktop's requests to end: SIGTERM from the session manager at logout,
// SIGHUP when the terminal goes, SIGINT on Ctrl+C. The handler only writes a
// byte to a pipe; the window thread reads it and runs `end` there, with the
// toolkit's open questions and dialogs closed first as if cancelled. While
// an EndSignals lives, the three signals no longer kill the program.
class EndSignals : public QObject {
public:
    explicit EndSignals(std::function<void()> end);
    ~EndSignals() override;
    EndSignals(const EndSignals&) = delete;
    EndSignals& operator=(const EndSignals&) = delete;

    // True once one of the signals has come.
    bool received() const { return received_; }

private:
    void take();

    std::function<void()> end_;
    QSocketNotifier* notifier_ = nullptr;
    bool received_ = false;
};

// When the connection to the display breaks, the toolkit says so and ends
// the program with exit() on the window thread: global and static state is
// then destroyed while other threads may still use it. While a DisplayLoss
// lives, `beforeExit` runs on that thread when the toolkit says so, before
// exit() begins; there the threads are ended and what can be kept is saved.
// The exit status stays the toolkit's.
class DisplayLoss {
public:
    explicit DisplayLoss(std::function<void()> beforeExit);
    ~DisplayLoss();
    DisplayLoss(const DisplayLoss&) = delete;
    DisplayLoss& operator=(const DisplayLoss&) = delete;
};

// What the player needs to know of the desktop it runs on: the screens, the
// display server, and how windows are placed and moved there.
namespace platform {

// Before the application object exists: on a Wayland session, asks for the
// X11 platform (XWayland) when it is there, since a frameless shaped window
// cannot place itself under Wayland.
void preferX11OnWayland();

// Before the application object exists: true when there is a display to
// connect to; otherwise prints one clear line saying so. Until
// displayConnected, a display that cannot be reached also ends the program
// with one such line (exit status 1) instead of the toolkit's abort.
bool checkDisplay(const char* programName);
void displayConnected();

// The display server this program shows its windows on, one text for every
// spelling of it: X11's host and display number from DISPLAY, without the
// screen (":0" and ":0.0" are one display), or the Wayland display's name
// where no X11 display is used. Empty without a display server (offscreen).
// After the application object exists.
QString displayName();

// An X11 display as "host:number": "localhost:10.0" gives "localhost:10",
// ":0.1" and "unix:0" give ":0". Text that is no X11 display stays as it is.
QString x11DisplayName(const QString& display);

// The top-left corner that centres a window of this size on the primary
// screen's work area (the screen less its panels).
QPoint centredOnWorkArea(const QSize& size);

// The saved place of a window, unless a window of this size there would lie
// wholly off every screen: then the top-left corner of the primary screen.
QPoint restoredPosition(const QPoint& saved, const QSize& size);

// Moves a window dragged by the mouse. Where windows may place themselves
// (X11, Windows) the window moves to topLeft; elsewhere the compositor takes
// over the move. Returns false when it did so and the drag is over for us.
bool moveDraggedWindow(QWidget& window, const QPoint& topLeft);

} // namespace platform

// The file or folder a drop on the face names: the first of the dropped
// local paths (a file manager's file URLs), or a path or file URL dropped as
// text. Only a regular file or a folder counts: a pipe or a device is no
// song, and a folder plays its songs and lists.
std::optional<std::string> droppedPath(const QMimeData& data);
// Every file and folder a drop names, by the same rules, in the order
// given: each local file URL, or each line of a text.
std::vector<std::string> droppedPaths(const QMimeData& data);
