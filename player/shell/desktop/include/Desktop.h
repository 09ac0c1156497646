#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QTimer>
#include <QVariantMap>
#include <cstdint>
#include <memory>

#include "NowPlaying.h"

class MprisBusObject;
class PlayerActions;
class QWidget;

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
    MprisService(const NowPlaying& nowPlaying, PlayerActions& actions, QWidget& window);
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
    // False, doing nothing, for a uri naming no local file.
    bool openUri(const QString& uri);

private:
    static QString trackIdOf(const HeardNow& heard);
    QVariantMap metadataOf(const HeardNow& heard) const;
    void seekTo(std::int64_t microseconds);
    void tellSeekDone();
    void tellChanged(const QVariantMap& changed);

    const NowPlaying& nowPlaying_;
    PlayerActions& actions_;
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
