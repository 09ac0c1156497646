// The real sonorbox on a private session bus (the test runs under
// dbus-run-session) and its virtual X server: the desktop's media controls
// (MPRIS 2) read and steer it as a desktop's media keys and panels do, and
// what they ask is heard on SDL's disk "device".
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QObject>
#include <QUrl>
#include <limits>

#include "PlayerInstall.h"

namespace {

const QString serviceName = QStringLiteral("org.mpris.MediaPlayer2.sonorbox");
const QString objectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString rootInterface = QStringLiteral("org.mpris.MediaPlayer2");
const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

QDBusConnection bus()
{
    return QDBusConnection::sessionBus();
}

bool onBus(const QString& name)
{
    return bus().interface()->isServiceRegistered(name).value();
}

QVariantMap mapOf(const QVariant& value)
{
    return value.canConvert<QDBusArgument>() ? qdbus_cast<QVariantMap>(value.value<QDBusArgument>()) : value.toMap();
}

// The signals the player sends, as they arrive.
class BusSignals : public QObject {
    Q_OBJECT
public:
    BusSignals()
    {
        EXPECT_TRUE(bus().connect(QString(), objectPath, propertiesInterface, "PropertiesChanged", this,
                                  SLOT(propertiesChanged(QString, QVariantMap, QStringList))));
        EXPECT_TRUE(bus().connect(QString(), objectPath, playerInterface, "Seeked", this, SLOT(seeked(qlonglong))));
    }

    std::vector<QVariantMap> changes;
    std::vector<qlonglong> seeks;

    // The newest value of name that PropertiesChanged told, if any.
    std::optional<QVariant> told(const QString& name) const
    {
        for (auto change = changes.rbegin(); change != changes.rend(); ++change)
            if (change->contains(name)) return change->value(name);
        return std::nullopt;
    }

public Q_SLOTS:
    void propertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList&)
    {
        EXPECT_EQ(interface, playerInterface);
        EXPECT_FALSE(changed.contains("Position")) << "the position is read when asked, never told";
        changes.push_back(changed);
    }
    void seeked(qlonglong position) { seeks.push_back(position); }
};

// A player on the bus, found by the name it took.
struct BusPlayer {
    QString name;

    QDBusMessage call(const QString& method, const QVariantList& arguments = {},
                      const QString& interface = playerInterface) const
    {
        QDBusMessage message = QDBusMessage::createMethodCall(name, objectPath, interface, method);
        message.setArguments(arguments);
        return bus().call(message, QDBus::Block, 5000);
    }

    QVariant property(const QString& property, const QString& interface = playerInterface) const
    {
        const QDBusMessage reply = call("Get", {interface, property}, propertiesInterface);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }

    QString status() const { return property("PlaybackStatus").toString(); }
    QVariantMap metadata() const { return mapOf(property("Metadata")); }
    qlonglong position() const { return property("Position").toLongLong(); }
    QString trackId() const { return metadata().value("mpris:trackid").value<QDBusObjectPath>().path(); }
};

// The song's exact length as the decoder counts its samples.
qlonglong exactMicroseconds(const char* song)
{
    const auto info = runTool(DECODE_TOOL, {"--info", song});
    EXPECT_TRUE(info);
    for (const QString& line : info.value_or(QString()).split('\n'))
        if (line.startsWith("Samples:")) return line.mid(8).trimmed().toLongLong() * 1000000 / 44100;
    return -1;
}

class Mpris : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!xvfb || !xvfb->isRunning())
            GTEST_SKIP() << "no virtual X server: " << (xvfb ? xvfb->failure().toStdString() : "none started");
        ASSERT_TRUE(bus().isConnected()) << "run under dbus-run-session";
    }
};

constexpr qlonglong second = 1000000;

} // namespace

TEST_F(Mpris, TheMediaControlsReadThePlayerAndSteerItThroughItsOwnActions)
{
    PlayerInstall install;
    BusSignals heard;
    // The disk device at the pace of a real one.
    QProcess& player = install.start({DEMO_SONG}, {{"SDL_DISKAUDIODELAY", "46"}});
    ASSERT_TRUE(processUntil([] { return onBus(serviceName); }));
    const BusPlayer mpris{serviceName};
    ASSERT_TRUE(install.playing(176400));

    EXPECT_EQ(mpris.property("Identity", rootInterface).toString(), "Sonorbox");
    EXPECT_EQ(mpris.property("DesktopEntry", rootInterface).toString(), "org.sonorbox.Sonorbox");
    EXPECT_TRUE(mpris.property("CanQuit", rootInterface).toBool());
    EXPECT_TRUE(mpris.property("CanRaise", rootInterface).toBool());
    EXPECT_FALSE(mpris.property("HasTrackList", rootInterface).toBool());
    EXPECT_EQ(mpris.property("SupportedUriSchemes", rootInterface).toStringList(), QStringList{"file"});
    EXPECT_EQ(mpris.property("SupportedMimeTypes", rootInterface).toStringList(),
              (QStringList{"audio/mpeg", "audio/x-mpegurl"}));
    for (const char* name : {"CanGoNext", "CanGoPrevious", "CanPlay", "CanPause", "CanSeek", "CanControl"})
        EXPECT_TRUE(mpris.property(name).toBool()) << name;
    for (const char* name : {"Rate", "MinimumRate", "MaximumRate"})
        EXPECT_EQ(mpris.property(name).toDouble(), 1.0) << name;
    EXPECT_EQ(mpris.status(), "Playing");
    EXPECT_EQ(mpris.property("Volume").toDouble(), 1.0);

    const QVariantMap metadata = mpris.metadata();
    EXPECT_EQ(metadata.value("mpris:length").toLongLong(), exactMicroseconds(DEMO_SONG));
    EXPECT_EQ(metadata.value("xesam:title").toString(), "Morning Steps");
    EXPECT_EQ(metadata.value("xesam:artist").toStringList(), QStringList{"Sonorbox"});
    EXPECT_EQ(metadata.value("xesam:url").toString(), QUrl::fromLocalFile(DEMO_SONG).toString());
    const QString firstTrack = mpris.trackId();
    EXPECT_TRUE(firstTrack.startsWith("/")) << firstTrack.toStdString();

    // Pause pauses, a second Pause changes nothing, Play resumes; PlayPause
    // toggles. Each change is told.
    ASSERT_EQ(mpris.call("Pause").type(), QDBusMessage::ReplyMessage);
    EXPECT_TRUE(processUntil([&] { return heard.told("PlaybackStatus") == QVariant("Paused"); }));
    mpris.call("Pause");
    EXPECT_EQ(mpris.status(), "Paused");
    const qlonglong pausedAt = mpris.position();
    mpris.call("Play");
    EXPECT_TRUE(processUntil([&] { return heard.told("PlaybackStatus") == QVariant("Playing"); }));
    EXPECT_TRUE(processUntil([&] { return mpris.position() > pausedAt; }));
    mpris.call("PlayPause");
    EXPECT_EQ(mpris.status(), "Paused");
    mpris.call("PlayPause");
    EXPECT_EQ(mpris.status(), "Playing");
    // Play while playing does not start the song again.
    const qlonglong playingAt = mpris.position();
    mpris.call("Play");
    EXPECT_GE(mpris.position(), playingAt);

    // The volume goes through the player's own: its setting, and the change told.
    QDBusMessage set = QDBusMessage::createMethodCall(serviceName, objectPath, propertiesInterface, "Set");
    set.setArguments({playerInterface, "Volume", QVariant::fromValue(QDBusVariant(0.5))});
    ASSERT_EQ(bus().call(set).type(), QDBusMessage::ReplyMessage);
    EXPECT_TRUE(processUntil([&] { return heard.told("Volume") == QVariant(0.5); }));
    // Saved once it rests.
    EXPECT_TRUE(
        processUntil([&] { return IniFile(install.settings).read("Sonorbox", "Volume").value_or("") == "50"; }));
    EXPECT_EQ(mpris.property("Volume").toDouble(), 0.5);

    // Seek is relative and tells where it went; before the start is the start.
    heard.seeks.clear();
    const qlonglong before = mpris.position();
    mpris.call("Seek", {qlonglong(10 * second)});
    ASSERT_TRUE(processUntil([&] { return heard.seeks.size() == 1; }));
    EXPECT_NEAR(double(heard.seeks[0]), double(before + 10 * second), 1.5 * second);
    mpris.call("Seek", {qlonglong(-100 * second)});
    ASSERT_TRUE(processUntil([&] { return heard.seeks.size() == 2; }));
    EXPECT_LT(heard.seeks[1], second / 2);
    // SetPosition for another track is ignored; for this one it goes there.
    mpris.call("SetPosition",
               {QVariant::fromValue(QDBusObjectPath("/org/sonorbox/Sonorbox/track/999")), qlonglong(20 * second)});
    mpris.call("SetPosition", {QVariant::fromValue(QDBusObjectPath(mpris.trackId())), qlonglong(5 * second)});
    ASSERT_TRUE(processUntil([&] { return heard.seeks.size() >= 3; }));
    EXPECT_EQ(heard.seeks.size(), 3u);
    EXPECT_NEAR(double(heard.seeks[2]), double(5 * second), 0.5 * second);

    // Past the end is Next: the only song starts anew, as a new track.
    mpris.call("Seek", {qlonglong(60 * second)});
    const auto toldTrack = [&] {
        return mapOf(heard.told("Metadata").value_or(QVariant()))
            .value("mpris:trackid")
            .value<QDBusObjectPath>()
            .path();
    };
    EXPECT_TRUE(processUntil([&] { return mpris.trackId() != firstTrack && toldTrack() == mpris.trackId(); }));

    // Stop stops; Play starts the song again.
    mpris.call("Stop");
    EXPECT_EQ(mpris.status(), "Stopped");
    EXPECT_TRUE(processUntil([&] { return heard.told("PlaybackStatus") == QVariant("Stopped"); }));
    mpris.call("Play");
    EXPECT_EQ(mpris.status(), "Playing");

    // OpenUri plays a local file or folder as Open does, and refuses anything else.
    const QDBusMessage refused = mpris.call("OpenUri", {"http://example.invalid/song.mp3"});
    EXPECT_EQ(refused.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(refused.errorName(), "org.freedesktop.DBus.Error.InvalidArgs");
    const QString other = TEST_DATA_DIR "/mp3/varied-cbr-128.mp3";
    ASSERT_EQ(mpris.call("OpenUri", {QUrl::fromLocalFile(other).toString()}).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(install.song(), other.toStdString());
    EXPECT_TRUE(
        processUntil([&] { return mpris.metadata().value("xesam:url") == QUrl::fromLocalFile(other).toString(); }));
    EXPECT_EQ(mpris.metadata().value("mpris:length").toLongLong(),
              exactMicroseconds(TEST_DATA_DIR "/mp3/varied-cbr-128.mp3"));
    // A folder plays its songs.
    TempFolder music;
    std::filesystem::copy_file(DEMO_SONG, music.file("demo.mp3"));
    ASSERT_EQ(mpris.call("OpenUri", {QUrl::fromLocalFile(QString::fromStdString(music.path())).toString()}).type(),
              QDBusMessage::ReplyMessage);
    EXPECT_EQ(install.song(), music.path());
    EXPECT_TRUE(processUntil([&] {
        return mpris.metadata().value("xesam:url") == QUrl::fromLocalFile(music.file("demo.mp3").c_str()).toString();
    }));

    // Quit ends the player as Escape does, and its name leaves the bus.
    ASSERT_EQ(mpris.call("Raise", {}, rootInterface).type(), QDBusMessage::ReplyMessage);
    mpris.call("Quit", {}, rootInterface);
    ASSERT_TRUE(player.waitForFinished(20000));
    EXPECT_EQ(player.exitCode(), 0);
    EXPECT_FALSE(onBus(serviceName));
}

TEST_F(Mpris, ASongChangeIsToldWithTheNewSongsTrackAndLength)
{
    PlayerInstall install;
    BusSignals heard;
    const std::string first = TEST_DATA_DIR "/mp3/varied-cbr-128.mp3";
    const std::string second = TEST_DATA_DIR "/mp3/stereo-128.mp3";
    const std::string list = install.folder.write("Two songs.m3u", first + "\n" + second + "\n");
    // At a real device's pace, the first song lasting two seconds.
    QProcess& player = install.start({QString::fromStdString(list)}, {{"SDL_DISKAUDIODELAY", "46"}});
    ASSERT_TRUE(processUntil([] { return onBus(serviceName); }));
    const QString firstTrack = BusPlayer{serviceName}.trackId();
    const QString secondUrl = QUrl::fromLocalFile(QString::fromStdString(second)).toString();
    const auto toldOfSecond = [&]() -> std::optional<QVariantMap> {
        for (const QVariantMap& change : heard.changes) {
            const QVariantMap metadata = mapOf(change.value("Metadata"));
            if (metadata.value("xesam:url") == secondUrl) return metadata;
        }
        return std::nullopt;
    };
    ASSERT_TRUE(processUntil([&] { return toldOfSecond().has_value(); }));
    const QVariantMap told = *toldOfSecond();
    EXPECT_EQ(told.value("mpris:length").toLongLong(), exactMicroseconds(TEST_DATA_DIR "/mp3/stereo-128.mp3"));
    EXPECT_EQ(told.value("xesam:title").toString(), "stereo-128") << "without tags, the title line's text";
    EXPECT_NE(told.value("mpris:trackid").value<QDBusObjectPath>().path(), firstTrack);
    player.kill();
}

TEST_F(Mpris, APlayerThatStopsByItselfIsToldStopped)
{
    PlayerInstall install;
    BusSignals heard;
    // The second song is of a format the player does not take: after the
    // first it stops, with a message.
    const std::string list = install.folder.write("Refused second.m3u", TEST_DATA_DIR
                                                  "/mp3/joint-128.mp3\n" TEST_DATA_DIR "/mp3/mono-64.mp3\n");
    QProcess& player = install.start({QString::fromStdString(list)});
    ASSERT_TRUE(processUntil([] { return onBus(serviceName); }));
    EXPECT_TRUE(processUntil([&] { return heard.told("PlaybackStatus") == QVariant("Stopped"); }));
    EXPECT_EQ(BusPlayer{serviceName}.status(), "Stopped");
    player.kill();
}

TEST_F(Mpris, WhatAPeerSendsIsCheckedBeforeThePlayerActs)
{
    PlayerInstall install;
    QProcess& player = install.start({DEMO_SONG}, {{"SDL_DISKAUDIODELAY", "46"}});
    ASSERT_TRUE(processUntil([] { return onBus(serviceName); }));
    const BusPlayer mpris{serviceName};
    ASSERT_TRUE(install.playing(176400));
    const auto set = [](const QString& interface, const QString& name, const QVariant& value) {
        QDBusMessage message = QDBusMessage::createMethodCall(serviceName, objectPath, propertiesInterface, "Set");
        message.setArguments({interface, name, QVariant::fromValue(QDBusVariant(value))});
        return bus().call(message, QDBus::Block, 5000);
    };
    const auto errorOf = [](const QDBusMessage& reply) {
        return reply.type() == QDBusMessage::ErrorMessage ? reply.errorName().toStdString() : std::string("no error");
    };
    const std::string invalidArgs = "org.freedesktop.DBus.Error.InvalidArgs";

    // A settable property set to a value that is no number: the caller's
    // fault, and nothing changes.
    EXPECT_EQ(errorOf(set(playerInterface, "Volume", QString("abc"))), invalidArgs);
    EXPECT_EQ(errorOf(set(playerInterface, "Volume", QString("0.3"))), invalidArgs);
    EXPECT_EQ(errorOf(set(playerInterface, "Volume", true)), invalidArgs);
    EXPECT_EQ(errorOf(set(playerInterface, "Volume", QStringList{"1"})), invalidArgs);
    EXPECT_EQ(errorOf(set(playerInterface, "Rate", QString("fast"))), invalidArgs);
    EXPECT_EQ(mpris.property("Volume").toDouble(), 1.0);
    EXPECT_EQ(IniFile(install.settings).read("Sonorbox", "Volume"), std::nullopt);
    // What cannot be set, or is not there, says so.
    EXPECT_EQ(errorOf(set(rootInterface, "Identity", QString("Other"))), "org.freedesktop.DBus.Error.PropertyReadOnly");
    EXPECT_EQ(errorOf(set(playerInterface, "Fullscreen", true)), "org.freedesktop.DBus.Error.UnknownProperty");
    // Numbers of the right type still work; a rate changes nothing.
    EXPECT_EQ(errorOf(set(playerInterface, "Volume", 0.4)), "no error");
    EXPECT_EQ(errorOf(set(playerInterface, "Rate", 1.0)), "no error");
    EXPECT_EQ(mpris.property("Volume").toDouble(), 0.4);

    // Methods called with arguments of other types.
    EXPECT_EQ(errorOf(mpris.call("Seek", {QString("10")})), invalidArgs);
    EXPECT_EQ(errorOf(mpris.call("SetPosition", {qlonglong(0), qlonglong(0)})), invalidArgs);
    EXPECT_EQ(errorOf(mpris.call("OpenUri", {qlonglong(7)})), invalidArgs);
    EXPECT_EQ(errorOf(mpris.call("Play", {qlonglong(7)})), invalidArgs);
    EXPECT_EQ(mpris.status(), "Playing");

    // The largest offset the bus carries goes past the end: the next song.
    const QString track = mpris.trackId();
    EXPECT_EQ(errorOf(mpris.call("Seek", {std::numeric_limits<qlonglong>::max()})), "no error");
    EXPECT_TRUE(processUntil([&] { return mpris.trackId() != track; }));
    EXPECT_EQ(errorOf(mpris.call("Seek", {std::numeric_limits<qlonglong>::min()})), "no error");
    EXPECT_EQ(mpris.status(), "Playing");

    // The object describes itself with the types the MPRIS 2 standard gives.
    const QDBusMessage described = mpris.call("Introspect", {}, "org.freedesktop.DBus.Introspectable");
    ASSERT_EQ(described.type(), QDBusMessage::ReplyMessage);
    const QString xml = described.arguments().value(0).toString();
    EXPECT_TRUE(xml.contains(R"(<property name="Volume" type="d" access="readwrite"/>)")) << xml.toStdString();
    EXPECT_TRUE(xml.contains(R"(<interface name="org.freedesktop.DBus.Properties">)")) << xml.toStdString();
    const QDBusMessage all = mpris.call("GetAll", {playerInterface}, propertiesInterface);
    ASSERT_EQ(all.type(), QDBusMessage::ReplyMessage);
    const QVariantMap properties = mapOf(all.arguments().value(0));
    EXPECT_EQ(properties.value("PlaybackStatus").toString(), "Playing");
    EXPECT_EQ(properties.value("Volume").toDouble(), 0.4);
    EXPECT_TRUE(properties.value("CanSeek").toBool());
    player.kill();
}

namespace {

// The face's menu of the real player, opened by a right click at a point of
// the face and worked by its keys: Up from none chosen begins at its last
// item, Quit. Two clicks at one point in a short time are a double click,
// which opens no menu: each call names a point of its own.
void chooseFromMenu(const PlayerInstall& install, const QPoint& onFace, const QStringList& keys)
{
    const auto windowsShown = [] {
        auto shown = runTool("xdotool", {"search", "--onlyvisible", "--class", "sonorbox"});
        return shown ? shown->split('\n', Qt::SkipEmptyParts).size() : 0;
    };
    // A menu still closing would take the click as its own.
    ASSERT_TRUE(processUntil([&] { return windowsShown() == 1; })) << "a menu stays open";
    const QPoint face = install.origin + onFace;
    ASSERT_TRUE(runTool("xdotool", {"mousemove", QString::number(face.x()), QString::number(face.y()), "click", "3"}));
    ASSERT_TRUE(processUntil([&] { return windowsShown() >= 2; })) << "no menu opened";
    ASSERT_TRUE(runTool("xdotool", QStringList{"key"} + keys));
}

} // namespace

TEST_F(Mpris, LoopStatusAndShuffleAreTheMenusReadSetAndToldAndBadValuesChangeNothing)
{
    if (!XvfbServer::toolInstalled("xdotool")) GTEST_SKIP() << "xdotool is not installed";
    PlayerInstall install;
    // Remembered from the last run, they hold from the start.
    IniFile(install.settings).write("Sonorbox", "Repeat", "Song");
    IniFile(install.settings).write("Sonorbox", "Shuffle", "1");
    BusSignals heard;
    QProcess& player = install.start({DEMO_SONG}, {{"SDL_DISKAUDIODELAY", "46"}});
    ASSERT_TRUE(processUntil([] { return onBus(serviceName); }));
    const BusPlayer mpris{serviceName};
    ASSERT_TRUE(install.playing(176400));
    EXPECT_EQ(mpris.property("LoopStatus").toString(), "Track");
    EXPECT_TRUE(mpris.property("Shuffle").toBool());
    const auto set = [](const QString& name, const QVariant& value) {
        QDBusMessage message = QDBusMessage::createMethodCall(serviceName, objectPath, propertiesInterface, "Set");
        message.setArguments({playerInterface, name, QVariant::fromValue(QDBusVariant(value))});
        const QDBusMessage reply = bus().call(message, QDBus::Block, 5000);
        return reply.type() == QDBusMessage::ErrorMessage ? reply.errorName().toStdString() : std::string("no error");
    };
    const auto setting = [&](const char* key) { return IniFile(install.settings).read("Sonorbox", key); };

    // Set from the bus: asked of the player, remembered, and told.
    EXPECT_EQ(set("LoopStatus", QString("None")), "no error");
    EXPECT_TRUE(processUntil([&] { return heard.told("LoopStatus") == QVariant("None"); }));
    EXPECT_EQ(mpris.property("LoopStatus").toString(), "None");
    EXPECT_EQ(setting("Repeat"), "Off");
    EXPECT_EQ(set("Shuffle", false), "no error");
    EXPECT_TRUE(processUntil([&] { return heard.told("Shuffle") == QVariant(false); }));
    EXPECT_EQ(setting("Shuffle"), "0");

    // What is no loop status or no truth value is the caller's fault.
    const std::string invalidArgs = "org.freedesktop.DBus.Error.InvalidArgs";
    for (const QVariant& refused : {QVariant(QString("Sometimes")), QVariant(QString("track")), QVariant(QString()),
                                    QVariant(1), QVariant(true), QVariant(QStringList{"Track"})})
        EXPECT_EQ(set("LoopStatus", refused), invalidArgs) << refused.toString().toStdString();
    for (const QVariant& refused : {QVariant(QString("true")), QVariant(1), QVariant(1.0)})
        EXPECT_EQ(set("Shuffle", refused), invalidArgs) << refused.toString().toStdString();
    EXPECT_EQ(mpris.property("LoopStatus").toString(), "None");
    EXPECT_FALSE(mpris.property("Shuffle").toBool());
    EXPECT_EQ(setting("Repeat"), "Off");
    EXPECT_EQ(setting("Shuffle"), "0");
    // The song heard played on through all of it.
    EXPECT_EQ(mpris.status(), "Playing");

    // From the menu: Quit, About, Always on Top, Skins, Equaliser..., Shuffle.
    chooseFromMenu(install, QPoint(150, 20), {"Up", "Up", "Up", "Up", "Up", "Up", "Return"});
    EXPECT_TRUE(processUntil([&] { return heard.told("Shuffle") == QVariant(true); })) << "Shuffle was not told";
    EXPECT_TRUE(mpris.property("Shuffle").toBool());
    EXPECT_EQ(setting("Shuffle"), "1");
    // Repeat, above Shuffle; its first mode, List.
    chooseFromMenu(install, QPoint(120, 20), {"Up", "Up", "Up", "Up", "Up", "Up", "Up", "Right", "Return"});
    EXPECT_TRUE(processUntil([&] { return heard.told("LoopStatus") == QVariant("Playlist"); }))
        << "LoopStatus was not told";
    EXPECT_EQ(setting("Repeat"), "List");

    const QDBusMessage described = mpris.call("Introspect", {}, "org.freedesktop.DBus.Introspectable");
    const QString xml = described.arguments().value(0).toString();
    EXPECT_TRUE(xml.contains(R"(<property name="LoopStatus" type="s" access="readwrite"/>)")) << xml.toStdString();
    EXPECT_TRUE(xml.contains(R"(<property name="Shuffle" type="b" access="readwrite"/>)")) << xml.toStdString();
    player.kill();
}

TEST_F(Mpris, WithRepeatOffRememberedThePlayerStopsAfterTheLastSongByItself)
{
    PlayerInstall install;
    IniFile(install.settings).write("Sonorbox", "Repeat", "Off");
    BusSignals heard;
    const std::string list = install.folder.write("Two songs.m3u", TEST_DATA_DIR "/mp3/joint-128.mp3\n" TEST_DATA_DIR
                                                                                 "/mp3/stereo-128.mp3\n");
    QProcess& player = install.start({QString::fromStdString(list)});
    ASSERT_TRUE(processUntil([] { return onBus(serviceName); }));
    EXPECT_TRUE(processUntil([&] { return heard.told("PlaybackStatus") == QVariant("Stopped"); }));
    const BusPlayer mpris{serviceName};
    EXPECT_EQ(mpris.status(), "Stopped");
    EXPECT_EQ(mpris.property("LoopStatus").toString(), "None");
    EXPECT_EQ(mapOf(heard.told("Metadata").value_or(QVariant())).value("xesam:url").toString(),
              QUrl::fromLocalFile(TEST_DATA_DIR "/mp3/stereo-128.mp3").toString());
    player.kill();
}

TEST_F(Mpris, WhenTheNameIsTakenThePlayerTakesOneOfItsOwn)
{
    ASSERT_TRUE(bus().registerService(serviceName));
    PlayerInstall install;
    QProcess& player = install.start({DEMO_SONG});
    const QString own = serviceName + ".instance" + QString::number(player.processId());
    ASSERT_TRUE(processUntil([&] { return onBus(own); }));
    EXPECT_EQ(BusPlayer{own}.property("Identity", rootInterface).toString(), "Sonorbox");
    EXPECT_TRUE(bus().unregisterService(serviceName));
    player.kill();
}

TEST_F(Mpris, WithoutASessionBusThePlayerPlaysAndSaysNothing)
{
    PlayerInstall install;
    QProcess& player =
        install.start({DEMO_SONG}, {{"DBUS_SESSION_BUS_ADDRESS", QString()}}, QProcess::SeparateChannels);
    EXPECT_TRUE(install.playing(4 * 176400));
    EXPECT_FALSE(onBus(serviceName));
    player.kill();
    player.waitForFinished(5000);
    // Only the disk device's own notes, none of the player's.
    for (const QByteArray& line : player.readAllStandardError().split('\n'))
        EXPECT_TRUE(line.isEmpty() || line.startsWith("CRITICAL: ")) << line.toStdString();
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    std::unique_ptr<XvfbServer> server;
    if (!::testing::GTEST_FLAG(list_tests)) {
        server = std::make_unique<XvfbServer>();
        xvfb = server.get();
    }
    if (xvfb && xvfb->isRunning()) qputenv("DISPLAY", xvfb->display().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}

#include "MprisTest.moc"
