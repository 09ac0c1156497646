// The requests that edit the one list the engine plays, and how the player
// thread follows them. An edit is one step under the playlist's lock from
// whichever thread makes it; the player thread only has to act when the song
// it decodes ahead no longer comes after the song heard, and then it drops
// the audio queued beyond the place heard, as Next does, and continues the
// song heard from that place.

#include <algorithm>
#include <climits>

#include "PlayerEngine.h"
#include "PlayerReadouts.h"

void PlayerEngine::insertPaths(int index, const std::vector<std::string>& paths)
{
    // A list made by adding alone, nothing opened since the start, is named
    // by the first path added when none of it plays.
    if (!paths.empty() && givenPath().empty()) setGivenPath(paths.front());
    playlist_.insertAll(index < 0 ? INT_MAX : index, paths);
    tellListChanged();
    followEdit();
}

void PlayerEngine::playEntry(int index)
{
    const int id = playlist_.idAt(index);
    if (id < 0) return;
    if (isRunning())
        request(control_.entryRequested, id);
    else
        startThread({}, index, true);
}

void PlayerEngine::removeEntries(const std::vector<int>& indices)
{
    const int heard = audible_.shownEntry().entry;
    const Playlist::Removal removal = playlist_.remove(indices, heard, repeat_.load() != Repeat::off);
    tellListChanged();
    if (!removal.heardRemoved || !isRunning()) {
        followEdit();
    } else if (removal.followerId >= 0) {
        request(control_.entryRequested, removal.followerId);
    } else {
        // Nothing is left to follow the entry heard.
        stopPlayback();
    }
}

void PlayerEngine::moveEntries(const std::vector<int>& indices, int to)
{
    playlist_.move(indices, to);
    tellListChanged();
    followEdit();
}

void PlayerEngine::setShuffle(bool shuffle)
{
    // A new round begins with the entry heard; off, the list order goes on
    // from it.
    playlist_.setShuffled(shuffle, audible_.shownEntry().entry);
    followEdit();
}

ListSnapshot PlayerEngine::listSnapshot() const
{
    return playlist_.snapshot(audible_.shownEntry().entry);
}

bool PlayerEngine::decodedAheadIsStale() const
{
    const AudibleSong::Shown heard = audible_.shownEntry();
    if (heard.entry < 0 || heard.unheard || heard.song == decodingSong_.load()) return false;
    const Repeat repeat = repeat_.load();
    const int after = repeat == Repeat::song ? heard.entry : playlist_.idAfter(heard.entry, repeat == Repeat::list);
    return after != Playlist::anyEntry && after != decodingEntry_.load();
}

bool PlayerEngine::reopenWhenDecodedAheadIsStale()
{
    if (!decodedAheadIsStale()) return false;
    const Audible heard = audible_.now();
    const double lengthFrames = static_cast<double>(heard.lengthMicroseconds) * Audible::framesPerSecond / 1e6;
    const double fraction = lengthFrames > 0 ? static_cast<double>(heard.positionFrames) / lengthFrames : 0.0;
    return seekInHeardSong(static_cast<float>(std::min(fraction, 1.0)));
}

void PlayerEngine::followEdit()
{
    if (!isRunning() || !decodedAheadIsStale()) return;
    // Unlike the listener's requests, an edit leaves a pause as it is.
    control_.listEdited.store(1);
    control_.keepDecoding.store(0);
    waveOutput_.wakeWriter();
}

void PlayerEngine::tellListChanged()
{
    readouts_.showListChanged(playlist_.version());
}
