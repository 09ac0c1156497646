#include "Desktop.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QFileInfo>
#include <QUrl>
#include <QWidget>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>

#include "MprisBusObject.h"
#include "SongTags.h"

namespace {

const QString objectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString serviceName = QStringLiteral("org.mpris.MediaPlayer2.sonorbox");
const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString noTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");
// How often, and how long, a seek asked is watched for its end.
constexpr int seekWatchMilliseconds = 10;
constexpr int seekWatchTicksAtMost = 300;
constexpr int playingWatchMilliseconds = 1500;

QString statusName(PlaybackState state)
{
    switch (state) {
    case PlaybackState::playing:
        return QStringLiteral("Playing");
    case PlaybackState::paused:
        return QStringLiteral("Paused");
    case PlaybackState::stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

QVariantMap tagsMetadata(const std::string& path)
{
    const songtags::SongTags tags = songtags::readSongTags(path);
    QVariantMap map;
    if (!tags.title.empty()) map.insert(QStringLiteral("xesam:title"), QString::fromStdString(tags.title));
    if (!tags.artist.empty())
        map.insert(QStringLiteral("xesam:artist"), QStringList{QString::fromStdString(tags.artist)});
    if (!tags.album.empty()) map.insert(QStringLiteral("xesam:album"), QString::fromStdString(tags.album));
    return map;
}

// The MPRIS names of the repeat modes.
constexpr std::array<std::pair<Repeat, const char*>, 3> loopStatusNames = {
    {{Repeat::list, "Playlist"}, {Repeat::song, "Track"}, {Repeat::off, "None"}}};

QString loopStatusOf(Repeat repeat)
{
    for (const auto& [mode, name] : loopStatusNames)
        if (mode == repeat) return QString::fromLatin1(name);
    return QString();
}

std::int64_t saturatingSum(std::int64_t a, std::int64_t b)
{
    constexpr std::int64_t most = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t least = std::numeric_limits<std::int64_t>::min();
    if (b > 0 && a > most - b) return most;
    if (b < 0 && a < least - b) return least;
    return a + b;
}

} // namespace

MprisService::MprisService(const NowPlaying& nowPlaying, MediaControls& actions, QWidget& window)
    : nowPlaying_(nowPlaying), actions_(actions), window_(window), bus_(QDBusConnection::sessionBus())
{
    seekWatch_.setInterval(seekWatchMilliseconds);
    connect(&seekWatch_, &QTimer::timeout, this, [this] {
        if (nowPlaying_.now().state == PlaybackState::stopped) {
            seekWatch_.stop();
            return;
        }
        if (nowPlaying_.seekPending() && ++seekWatchTicks_ < seekWatchTicksAtMost) return;
        seekWatch_.stop();
        tellSeekDone();
    });
    playingWatch_.setSingleShot(true);
    playingWatch_.setInterval(playingWatchMilliseconds);
    connect(&playingWatch_, &QTimer::timeout, this, &MprisService::refresh);
    if (!bus_.isConnected()) return;
    busObject_ = std::make_unique<MprisBusObject>(*this);
    if (!bus_.registerVirtualObject(objectPath, busObject_.get())) return;
    // A player on another display of the same session may hold the name.
    const QString ownName =
        serviceName + QStringLiteral(".instance") + QString::number(QCoreApplication::applicationPid());
    for (const QString& name : {serviceName, ownName}) {
        if (bus_.interface()
                ->registerService(name, QDBusConnectionInterface::DontQueueService,
                                  QDBusConnectionInterface::DontAllowReplacement)
                .value() == QDBusConnectionInterface::ServiceRegistered) {
            busName_ = name;
            break;
        }
    }
    if (busName_.isEmpty()) {
        bus_.unregisterObject(objectPath);
        return;
    }
    const HeardNow heard = nowPlaying_.now();
    toldStatus_ = statusName(heard.state);
    toldVolume_ = actions_.volume();
    toldLoopStatus_ = loopStatus();
    toldShuffle_ = shuffle();
    toldSong_ = heard.songNumber;
    toldLength_ = heard.lengthMicroseconds;
}

MprisService::~MprisService()
{
    if (busName_.isEmpty()) return;
    bus_.unregisterService(busName_);
    bus_.unregisterObject(objectPath);
}

void MprisService::refresh()
{
    if (busName_.isEmpty()) return;
    QVariantMap changed;
    const HeardNow heard = nowPlaying_.now();
    const QString status = statusName(heard.state);
    if (status != toldStatus_) {
        toldStatus_ = status;
        changed.insert(QStringLiteral("PlaybackStatus"), status);
    }
    if (actions_.volume() != toldVolume_) {
        toldVolume_ = actions_.volume();
        changed.insert(QStringLiteral("Volume"), volume());
    }
    if (loopStatus() != toldLoopStatus_) {
        toldLoopStatus_ = loopStatus();
        changed.insert(QStringLiteral("LoopStatus"), toldLoopStatus_);
    }
    if (shuffle() != toldShuffle_) {
        toldShuffle_ = shuffle();
        changed.insert(QStringLiteral("Shuffle"), toldShuffle_);
    }
    if (heard.songNumber != toldSong_ || heard.lengthMicroseconds != toldLength_) {
        toldSong_ = heard.songNumber;
        toldLength_ = heard.lengthMicroseconds;
        changed.insert(QStringLiteral("Metadata"), metadataOf(heard));
    }
    if (!changed.isEmpty()) tellChanged(changed);
    if (status == statusName(PlaybackState::playing))
        playingWatch_.start();
    else
        playingWatch_.stop();
}

void MprisService::tellChanged(const QVariantMap& changed)
{
    QDBusMessage signal = QDBusMessage::createSignal(objectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << playerInterface << changed << QStringList();
    bus_.send(signal);
}

void MprisService::noteSeekAsked()
{
    if (busName_.isEmpty()) return;
    seekWatchTicks_ = 0;
    seekWatch_.start();
}

void MprisService::tellSeekDone()
{
    if (busName_.isEmpty()) return;
    QDBusMessage signal = QDBusMessage::createSignal(objectPath, playerInterface, QStringLiteral("Seeked"));
    signal << static_cast<qlonglong>(position());
    bus_.send(signal);
}

// --- org.mpris.MediaPlayer2 ---

void MprisService::raise()
{
    window_.showNormal();
    window_.raise();
    window_.activateWindow();
}

void MprisService::quit()
{
    actions_.quit(false);
}

// --- org.mpris.MediaPlayer2.Player: properties ---

QString MprisService::playbackStatus() const
{
    return statusName(nowPlaying_.now().state);
}

QString MprisService::trackIdOf(const HeardNow& heard)
{
    return heard.songNumber == 0 ? noTrack : QStringLiteral("/org/sonorbox/Sonorbox/track/%1").arg(heard.songNumber);
}

QVariantMap MprisService::metadata() const
{
    return metadataOf(nowPlaying_.now());
}

QVariantMap MprisService::metadataOf(const HeardNow& heard) const
{
    QVariantMap map;
    map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(trackIdOf(heard))));
    const std::string& path = heard.songPath;
    if (heard.songNumber == 0 || path.empty()) return map;
    if (path != tagsPath_) {
        tagsPath_ = path;
        tags_ = tagsMetadata(path);
    }
    map.insert(tags_);
    if (!map.contains(QStringLiteral("xesam:title"))) map.insert(QStringLiteral("xesam:title"), heard.titleText);
    const std::int64_t length = heard.lengthMicroseconds;
    if (length > 0) map.insert(QStringLiteral("mpris:length"), static_cast<qlonglong>(length));
    map.insert(QStringLiteral("xesam:url"),
               QUrl::fromLocalFile(QString::fromStdString(path)).toString(QUrl::FullyEncoded));
    return map;
}

double MprisService::volume() const
{
    return actions_.volume() / 100.0;
}

void MprisService::setVolume(double volume)
{
    if (!std::isfinite(volume)) return;
    actions_.setVolume(static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * 100.0)));
}

std::int64_t MprisService::position() const
{
    return nowPlaying_.now().positionMicroseconds;
}

QString MprisService::loopStatus() const
{
    return loopStatusOf(actions_.repeat());
}

bool MprisService::setLoopStatus(const QString& status)
{
    for (const auto& [repeat, name] : loopStatusNames) {
        if (status == QLatin1String(name)) {
            actions_.setRepeat(repeat);
            return true;
        }
    }
    return false;
}

bool MprisService::shuffle() const
{
    return actions_.shuffle();
}

void MprisService::setShuffle(bool shuffle)
{
    actions_.setShuffle(shuffle);
}

// --- org.mpris.MediaPlayer2.Player: methods ---

void MprisService::play()
{
    if (nowPlaying_.now().state != PlaybackState::playing) actions_.play();
}

void MprisService::pause()
{
    if (nowPlaying_.now().state == PlaybackState::playing) actions_.togglePause();
}

void MprisService::playPause()
{
    if (nowPlaying_.now().state == PlaybackState::stopped)
        actions_.play();
    else
        actions_.togglePause();
}

void MprisService::stop()
{
    actions_.stop();
}

void MprisService::next()
{
    actions_.next();
}

void MprisService::previous()
{
    actions_.previous();
}

void MprisService::seek(std::int64_t offset)
{
    const HeardNow heard = nowPlaying_.now();
    if (heard.state == PlaybackState::stopped) return;
    // The bus may send any offset: the sum is held to the range, so the
    // largest goes past the end and the smallest before the start.
    const std::int64_t target = saturatingSum(heard.positionMicroseconds, offset);
    const std::int64_t length = heard.lengthMicroseconds;
    if (length > 0 && target >= length)
        actions_.next();
    else
        seekTo(std::max<std::int64_t>(target, 0));
}

void MprisService::setPosition(const QString& trackId, std::int64_t position)
{
    // A position for a song no longer heard, or outside the song, is no
    // place to go.
    const HeardNow heard = nowPlaying_.now();
    if (trackId != trackIdOf(heard) || position < 0 || position > heard.lengthMicroseconds) return;
    seekTo(position);
}

void MprisService::seekTo(std::int64_t microseconds)
{
    actions_.seekTo(static_cast<double>(microseconds) / 1e6);
}

bool MprisService::openUri(const QString& uri)
{
    const QUrl url(uri);
    const QString path = url.isLocalFile() ? url.toLocalFile() : QString();
    const QFileInfo named(path);
    if (path.isEmpty() || !(named.isFile() || named.isDir())) return false;
    actions_.playPath(path.toStdString());
    return true;
}
