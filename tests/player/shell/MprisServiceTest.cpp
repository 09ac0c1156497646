// The desktop's media controls' meaning of the player, on the real window
// offscreen and the test device, called as the bus would call them (the bus
// itself: the real program's test under dbus-run-session).
#include <gtest/gtest.h>

#include <QDBusObjectPath>
#include <QUrl>
#include <tuple>

#include "EngineNowPlaying.h"
#include "Desktop.h"
#include "ShellTestSupport.h"

namespace {

struct MprisFixture : ShellFixture {
    MainWindow& window = open();
    EngineNowPlaying nowPlaying{player};
    MprisService mpris{nowPlaying, window.actions(), window};

    QString trackId() const { return mpris.metadata().value("mpris:trackid").value<QDBusObjectPath>().path(); }

    // Starts song and lets the test device play its first blocks.
    void playSong(const std::string& song)
    {
        settings.putSong(song);
        mpris.play();
        ASSERT_TRUE(device.waitForQueued(4));
        ASSERT_EQ(device.complete(3), 3);
        ASSERT_TRUE(processUntil([&] {
            return nowPlaying.now().lengthMicroseconds > 0 && nowPlaying.now().songNumber > 0 &&
                   !window.titleText().isEmpty();
        }));
    }
};

} // namespace

TEST(Mpris, TheSongHeardIsDescribedByItsTrackExactLengthTitleAndPlace)
{
    MprisFixture shell;
    EXPECT_EQ(shell.mpris.busName(), QString()) << "no session bus in the tests";
    EXPECT_EQ(shell.mpris.playbackStatus(), "Stopped");
    EXPECT_EQ(shell.mpris.metadata().keys(), QStringList{"mpris:trackid"});
    EXPECT_EQ(shell.trackId(), "/org/mpris/MediaPlayer2/TrackList/NoTrack");

    const std::string song = testSong("varied-cbr-128.mp3");
    shell.playSong(song);
    const QVariantMap metadata = shell.mpris.metadata();
    // 88977 samples at 44100 Hz, not the whole seconds the readouts show.
    EXPECT_EQ(metadata.value("mpris:length").toLongLong(), 2017619);
    EXPECT_EQ(metadata.value("xesam:title").toString(), "varied-cbr-128") << "no tags: the title line's text";
    EXPECT_EQ(metadata.value("xesam:title").toString(), shell.window.titleText());
    EXPECT_FALSE(metadata.contains("xesam:artist"));
    EXPECT_EQ(metadata.value("xesam:url").toString(), QUrl::fromLocalFile(QString::fromStdString(song)).toString());
    EXPECT_EQ(shell.mpris.playbackStatus(), "Playing");
    // Three blocks of 4096 frames heard.
    EXPECT_EQ(shell.mpris.position(), 3 * 4096 * 1000000LL / 44100);

    // A song opened, and tagged: a new track, with its tags' title and
    // artist.
    const QString first = shell.trackId();
    shell.mpris.openUri(QUrl::fromLocalFile(DEMO_SONG).toString());
    EXPECT_EQ(shell.settings.getSong(), DEMO_SONG);
    ASSERT_TRUE(processUntil([&] { return shell.mpris.metadata().value("xesam:title") == "Morning Steps"; }));
    EXPECT_NE(shell.trackId(), first);
    EXPECT_EQ(shell.mpris.metadata().value("xesam:artist").toStringList(), QStringList{"Sonorbox"});
    // What names no local file or folder plays nothing.
    EXPECT_FALSE(shell.mpris.openUri("https://example.invalid/song.mp3"));
    EXPECT_FALSE(shell.mpris.openUri(QUrl::fromLocalFile(shell.folder.file("missing.mp3").c_str()).toString()));
    EXPECT_EQ(shell.settings.getSong(), DEMO_SONG);
    // A folder plays its songs.
    EXPECT_TRUE(shell.mpris.openUri(QUrl::fromLocalFile(QString::fromStdString(shell.folder.path())).toString()));
    EXPECT_EQ(shell.settings.getSong(), shell.folder.path());
}

TEST(Mpris, PlayPauseAndSeekKeepTheirBusMeaningThroughThePlayersActions)
{
    MprisFixture shell;
    // Stopped, Pause and Seek do nothing; Play starts the song.
    shell.mpris.pause();
    shell.mpris.seek(1000000);
    EXPECT_EQ(shell.mpris.playbackStatus(), "Stopped");
    shell.playSong(DEMO_SONG);
    EXPECT_EQ(shell.device.opens(), 1);
    // Playing, Play changes nothing (the button would start the song anew).
    shell.mpris.play();
    EXPECT_EQ(shell.device.opens(), 1);
    EXPECT_EQ(shell.mpris.playbackStatus(), "Playing");

    shell.mpris.pause();
    shell.mpris.pause();
    EXPECT_EQ(shell.mpris.playbackStatus(), "Paused");
    shell.mpris.play();
    EXPECT_EQ(shell.mpris.playbackStatus(), "Playing");
    shell.mpris.playPause();
    EXPECT_EQ(shell.mpris.playbackStatus(), "Paused");
    shell.mpris.playPause();
    EXPECT_EQ(shell.mpris.playbackStatus(), "Playing");

    // Relative seeks; before the start is the start.
    shell.mpris.seek(10000000);
    ASSERT_TRUE(shell.waitForResets(1));
    EXPECT_NEAR(double(shell.mpris.position()), 10.28e6, 0.2e6);
    shell.mpris.seek(-60000000);
    ASSERT_TRUE(shell.waitForResets(2));
    EXPECT_EQ(shell.mpris.position(), 0);
    // A position for another track is ignored, and one beyond the song too.
    shell.mpris.setPosition("/org/sonorbox/Sonorbox/track/0", 5000000);
    shell.mpris.setPosition(shell.trackId(), 29000000);
    shell.mpris.setPosition(shell.trackId(), 5000000);
    ASSERT_TRUE(shell.waitForResets(3));
    EXPECT_NEAR(double(shell.mpris.position()), 5e6, 0.1e6);
    EXPECT_EQ(shell.device.resets(), 3);

    // Past the end is Next: the only song begins again, as a new track.
    const QString track = shell.trackId();
    shell.mpris.seek(30000000);
    EXPECT_TRUE(processUntil([&] { return shell.trackId() != track; }));

    // The largest offsets the bus can carry: past the end is Next, before
    // the start is the start.
    const auto heardSome = [&] {
        EXPECT_TRUE(shell.device.waitForQueued(3));
        shell.device.complete(2);
        return processUntil([&] { return shell.mpris.position() > 0; });
    };
    ASSERT_TRUE(heardSome());
    const QString playing = shell.trackId();
    shell.mpris.seek(std::numeric_limits<std::int64_t>::max());
    EXPECT_TRUE(processUntil([&] { return shell.trackId() != playing; }));
    ASSERT_TRUE(heardSome());
    const int resets = shell.device.resets();
    shell.mpris.seek(std::numeric_limits<std::int64_t>::min());
    ASSERT_TRUE(shell.waitForResets(resets + 1));
    EXPECT_EQ(shell.mpris.position(), 0);

    // The volume is the player's, on 0 to 1; out of range is held to it.
    shell.mpris.setVolume(0.25);
    EXPECT_TRUE(processUntil([&] { return shell.settings.getVolume() == 25; }));
    EXPECT_EQ(shell.mpris.volume(), 0.25);
    shell.mpris.setVolume(7.0);
    EXPECT_EQ(shell.mpris.volume(), 1.0);
    shell.mpris.setVolume(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(shell.mpris.volume(), 1.0);

    shell.mpris.stop();
    EXPECT_EQ(shell.mpris.playbackStatus(), "Stopped");
    EXPECT_EQ(shell.mpris.position(), 0);
}

TEST(Mpris, NextAndPreviousWhileStoppedTellTheEntryThatPlayStarts)
{
    MprisFixture shell;
    const std::string first = testSong("joint-128.mp3");
    const std::string second = testSong("stereo-128.mp3");
    shell.playSong(shell.folder.write("two.m3u", first + "\n" + second + "\n"));
    shell.mpris.stop();
    EXPECT_EQ(shell.mpris.playbackStatus(), "Stopped");
    EXPECT_EQ(shell.mpris.position(), 0);
    EXPECT_EQ(shell.mpris.metadata().value("xesam:title").toString(), "joint-128");

    const QString stopped = shell.trackId();
    shell.mpris.next();
    EXPECT_EQ(shell.mpris.metadata().value("xesam:title").toString(), "stereo-128");
    EXPECT_NE(shell.trackId(), stopped);
    EXPECT_TRUE(processUntil([&] { return shell.window.titleText() == "stereo-128"; }));
    EXPECT_EQ(shell.mpris.playbackStatus(), "Stopped");
    shell.mpris.play();
    ASSERT_TRUE(processUntil([&] { return shell.device.queued() > 0; }));
    EXPECT_EQ(shell.mpris.playbackStatus(), "Playing");
    EXPECT_EQ(shell.mpris.metadata().value("xesam:url").toString(),
              QUrl::fromLocalFile(QString::fromStdString(second)).toString());
}

TEST(Mpris, LoopStatusAndShuffleAreTheMenusOwnAndOtherTextsChangeNothing)
{
    MprisFixture shell;
    EXPECT_EQ(shell.mpris.loopStatus(), "Playlist");
    EXPECT_FALSE(shell.mpris.shuffle());
    for (const auto& [status, repeat, written] : {std::tuple{"None", Repeat::off, "Off"},
                                                  {"Track", Repeat::song, "Song"},
                                                  {"Playlist", Repeat::list, "List"}}) {
        EXPECT_TRUE(shell.mpris.setLoopStatus(status)) << status;
        EXPECT_EQ(shell.player.repeat(), repeat) << status;
        EXPECT_EQ(shell.mpris.loopStatus(), status);
        EXPECT_EQ(IniFile(shell.settingsFile).read("Sonorbox", "Repeat"), written);
    }
    shell.mpris.setLoopStatus("Track");
    // The standard's names are exact.
    for (const char* refused : {"track", "TRACK", "", "Playlist ", "List", "Song", "Off"}) {
        EXPECT_FALSE(shell.mpris.setLoopStatus(refused)) << refused;
        EXPECT_EQ(shell.player.repeat(), Repeat::song) << refused;
    }
    EXPECT_EQ(IniFile(shell.settingsFile).read("Sonorbox", "Repeat"), "Song");

    shell.mpris.setShuffle(true);
    EXPECT_TRUE(shell.player.shuffle());
    EXPECT_TRUE(shell.mpris.shuffle());
    EXPECT_EQ(IniFile(shell.settingsFile).read("Sonorbox", "Shuffle"), "1");
    // Set again, the round dealt stays: nothing more is asked of the engine.
    const std::size_t asked = shell.requests.asked().size();
    shell.mpris.setShuffle(true);
    EXPECT_EQ(shell.requests.asked().size(), asked);
    // What the menu sets is what the bus reads.
    shell.window.actions().setShuffle(false);
    shell.window.actions().setRepeat(Repeat::off);
    EXPECT_FALSE(shell.mpris.shuffle());
    EXPECT_EQ(shell.mpris.loopStatus(), "None");
}
