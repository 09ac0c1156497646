// The player thread: builds the playlist, then decodes song after song until
// it is asked to stop. All decoding and all writing to the device happen here.

#include <cmath>
#include <cstdint>
#include <utility>

#include "Mp3Decoder.h"
#include "PcmBlocks.h"
#include "PlayerEngine.h"
#include "PlayerMessages.h"
#include "PlayerReadouts.h"
#include "UserMessages.h"

namespace {

SongLength lengthOf(const mp3::Decoder& decoder, const mp3::FrameHeader& header)
{
    const mp3::StreamLength length = decoder.streamLength(header);
    return SongLength{length.wholeSeconds, std::llround(length.seconds * 1e6)};
}

} // namespace

void PlayerEngine::playerThreadMain(const std::vector<std::string>& paths, int firstEntry, bool keepList)
{
    // A new decoder: no reader, no PCM held, and no overlap or synthesis
    // history, so that nothing of the last run's final song sounds at the
    // start of this one.
    decoder_ = mp3::Decoder();
    takeEqualiser();
    numberKnown_ = false;
    endedBySelf_ = false;
    earlier_ = {};
    reopen_ = {};
    waveOutput_.setEarlierSong(0);

    if (!keepList) {
        playlist_.clear();
        // A stop ends the reading of a list too: a hostile list may take long.
        auto stopRequested = [this] { return control_.stopRequested.load() != 0; };
        // Any name is a song's or a list's, one beginning with "-" too.
        std::vector<std::string> named;
        for (const std::string& path : paths)
            if (!path.empty()) named.push_back(path);
        playlist_.insertAll(0, named, stopRequested);
        audible_.forgetEntries();
        tellListChanged();
    }
    playlist_.moveTo(firstEntry);
    // A shuffled round begins with the entry played first.
    if (playlist_.shuffled()) playlist_.setShuffled(true);
    decodingEntry_.store(-1);
    seekEntry_ = -1;
    seekSong_ = 0;
    seekOnOpen_ = noSeek;

    decodedSongSeconds_.store(0);
    decodedSongMicroseconds_ = 0;
    header_ = mp3::FrameHeader{};

    try {
        playSongs();
    } catch (const std::exception&) {
        endForFailure(playertext::unhandledException);
    }
    cleanup();
}

bool PlayerEngine::endForFailure(const char* text)
{
    messages_.post(playertext::exceptionCaption, text, MessageIcon::error);
    decoder_.closeSong();
    return false;
}

void PlayerEngine::playSongs()
{
    songsWithoutAudio_ = 0;
    std::string path;
    while (control_.stopRequested.load() == 0 && playlist_.getCurrent(path)) {
        if (!playSong(path)) return;
    }
}

bool PlayerEngine::playSong(const std::string& path)
{
    // A song opened with a new curve waiting is decoded with it from its
    // start; what is queued of the songs before it plays on as it was made.
    if (control_.equaliserAsked.load() != 0) takeEqualiser();
    decoder_.openSong(path.c_str());
    decodingEntry_.store(playlist_.currentId());
    songPath_ = path;
    songBegun_ = false;
    decodingSong_ = 0;
    firstFrame_ = 0;
    seekAwaitsSong_ = false;
    songGaveAudio_ = false;
    // A seek is the listener's choice, as a next is: the song it lands in
    // begins a new pass, even when nothing follows the place sought.
    bool sought = false;
    // A seek into this song made while another was decoded ahead of it: the
    // first frame gives the stream's length and table, then the place.
    const float seekOnOpen = std::exchange(seekOnOpen_, noSeek);
    const mp3::FrameRead first = seekOnOpen >= 0.0f ? decoder_.nextFrame(header_) : mp3::FrameRead::end;
    if (first == mp3::FrameRead::notMp3) return endForFailure(mp3::notValidMp3Text);
    if (first == mp3::FrameRead::frame) {
        seekInSong(seekOnOpen);
        sought = true;
    } else {
        seekSong_ = 0;
    }
    // Opened again for a new equaliser curve: from the sample after the
    // block that plays, heard as the same song.
    if (const Reopen reopen = std::exchange(reopen_, {}); reopen.entry >= 0 && reopen.entry == playlist_.currentId()) {
        if (decoder_.decodeFromSample(reopen.sample, header_)) {
            firstFrame_ = reopen.frame;
            seekSong_ = reopen.song;
        }
        sought = true;
    }
    for (;;) {
        FramesEnd end = decodeSongFrames();
        if (end == FramesEnd::notMp3) return endForFailure(mp3::notValidMp3Text);
        if (end == FramesEnd::deviceFailed) return endForFailure(playertext::cannotOpenDevice);
        if (end == FramesEnd::refused) {
            decoder_.closeSong();
            // The list is not advanced: the refused song stays current, and
            // its name is shown once what was queued before it has played,
            // so that Next and Prev go on from it.
            endAfterQueuedAudio(playertext::lowQualityCaption, playertext::lowQuality, MessageIcon::information);
            if (control_.stopRequested.load() == 0) {
                audible_.handOver(path, playlist_.currentId());
                audible_.relay(readouts_);
            }
            return false;
        }
        control_.keepDecoding.store(1);
        // Read after keepDecoding is set again: a request whose clearing of
        // keepDecoding that store overwrote is still found by its value.
        // Stop, next and previous go before a seek, which they make moot.
        // The seek is taken whole: one made meanwhile waits for the next turn.
        const bool movingOn = requestPending();
        // Marked before the seek is taken, so that it never looks made
        // before the device was reset.
        if (control_.seekFraction.load() >= 0.0f) control_.resetPending.store(1);
        const float fraction = control_.seekFraction.exchange(noSeek);
        if (fraction >= 0.0f && !movingOn) {
            if (seekInHeardSong(fraction)) break;
            seekInSong(fraction);
            sought = true;
            continue;
        }
        // A requester clears keepDecoding after its value: when the thread
        // has served the value before the flag came, the flag finds nothing
        // left to do, and the song goes on.
        if (control_.listEdited.exchange(0) != 0 && !movingOn && !(fraction >= 0.0f) && reopenWhenDecodedAheadIsStale())
            break;
        // A new curve goes on with the song, from the place heard, even when
        // its last frame was read: it is read again.
        if (!movingOn && !(fraction >= 0.0f) && control_.equaliserAsked.load() != 0) {
            const EqualiserHeard heard = hearEqualiserNow();
            if (heard == EqualiserHeard::remade) continue;
            if (heard == EqualiserHeard::reopen) break;
        }
        if (end == FramesEnd::request && !movingOn && !(fraction >= 0.0f)) continue;
        // At its natural end the song's last partial block stays, for the
        // next song to continue; every request drops it below.
        if (end == FramesEnd::songEnded) decoder_.endStream();
        break;
    }
    decoder_.closeSong();
    if (control_.stopRequested.load() != 0) return false;
    const bool requested = moveOn();
    if (wholePassSilent(requested || sought)) {
        endAfterQueuedAudio(playertext::errorCaption, playertext::couldNotPlayAnySong + givenPath(), MessageIcon::none);
        return false;
    }
    if (listEnded_) {
        playQueuedAudioToEnd();
        return false;
    }
    return true;
}

bool PlayerEngine::requestPending() const
{
    return control_.stopRequested.load() != 0 || control_.nextRequested.load() != 0 ||
           control_.prevRequested.load() != 0 || control_.entryRequested.load() >= 0;
}

bool PlayerEngine::wholePassSilent(bool requested)
{
    // A song chosen by a request begins a new pass. Audio, not files opened,
    // is what counts: a file may open and still give nothing to hear.
    if (requested || songGaveAudio_) {
        songsWithoutAudio_ = 0;
        return false;
    }
    ++songsWithoutAudio_;
    return songsWithoutAudio_ >= playlist_.count();
}

PlayerEngine::FramesEnd PlayerEngine::decodeSongFrames()
{
    // The frame is read before the flag is tested: after a request one more
    // frame is read and not decoded.
    for (;;) {
        // Before the frame is read: a new curve re-reads from the place
        // heard, and no frame is passed over.
        if (control_.equaliserAsked.load() != 0 && canRemakeAhead()) return FramesEnd::request;
        const mp3::FrameRead read = decoder_.nextFrame(header_);
        if (read == mp3::FrameRead::notMp3) return FramesEnd::notMp3;
        if (read == mp3::FrameRead::end) return FramesEnd::songEnded;
        if (control_.keepDecoding.load() != 1) return FramesEnd::request;
        const FrameTaken taken = decodeOneFrame(header_);
        if (taken == FrameTaken::refused) return FramesEnd::refused;
        if (taken == FrameTaken::deviceFailed) return FramesEnd::deviceFailed;
    }
}

bool PlayerEngine::seekInHeardSong(float fraction)
{
    // Before anything of the list was heard, the seek is in the song being
    // decoded: the first one.
    const AudibleSong::Shown heard = audible_.shownEntry();
    if (heard.entry < 0 || heard.unheard || heard.song == decodingSong_) return false;
    seekEntry_ = heard.entry;
    seekSong_ = heard.song;
    seekOnOpen_ = fraction;
    return true;
}

void PlayerEngine::seekInSong(float fraction)
{
    control_.resetPending.store(1);
    decoder_.seekToFraction(header_, fraction);
    // After the reset the song being decoded is the one heard, so its length
    // places the position, even while the end of the song before still
    // played. A seek made before the song's first frame was taken places
    // its beginning.
    if (!songBegun_ && header_.layer != 3) return;
    const SongLength length =
        songBegun_ ? SongLength{decodedSongSeconds_.load(), decodedSongMicroseconds_} : lengthOf(decoder_, header_);
    const auto frame =
        static_cast<std::uint32_t>(std::trunc(length.seconds * static_cast<double>(fraction) * pcm::framesPerSecond));
    if (!songBegun_) {
        firstFrame_ = frame;
        seekAwaitsSong_ = true;
        return;
    }
    songNumber_ = audible_.begin(songPath_, playlist_.currentId(), length, decodingSong_).number;
    seekNumber_.store(songNumber_);
    numberFirstFrame_ = frame;
    numberFirstSample_ = decoder_.samplesMade();
    waveOutput_.beginSong(songNumber_, frame, 0);
}

bool PlayerEngine::moveOn()
{
    listEnded_ = false;
    endedBySelf_ = false;
    if (reopen_.entry >= 0) {
        // The queue keeps the block playing: no reset.
        if (playlist_.moveToId(reopen_.entry)) return true;
        reopen_ = {};
    }
    const int entry = control_.entryRequested.exchange(-1);
    const bool previous = entry < 0 && control_.prevRequested.exchange(0) != 0;
    const bool next = entry < 0 && !previous && control_.nextRequested.exchange(0) != 0;
    if (entry >= 0 || previous || next || seekEntry_ >= 0) {
        // The queued audio beyond what is heard is dropped.
        control_.resetPending.store(1);
        decoder_.discardPcm();
        if (entry >= 0 && playlist_.moveToId(entry)) {
            // A seek waiting for an entry left is moot.
            seekEntry_ = -1;
            seekOnOpen_ = noSeek;
            seekSong_ = 0;
        } else if (seekEntry_ >= 0) {
            playlist_.moveToId(std::exchange(seekEntry_, -1));
        } else {
            stepFromHeard(!previous);
        }
        return true;
    }
    // The song has ended by itself. The device is not reset: the next song
    // queues behind the end of this one, and its title and length take over
    // with the block that holds its first sample.
    endedBySelf_ = true;
    listEnded_ = !followOn();
    return false;
}

bool PlayerEngine::followOn()
{
    switch (repeat_.load()) {
    case Repeat::song:
        return true;
    case Repeat::off:
        return playlist_.step(playlist_.currentId(), true, false);
    case Repeat::list:
        break;
    }
    return playlist_.step(playlist_.currentId(), true, true);
}

void PlayerEngine::stepFromHeard(bool forward)
{
    playlist_.step(audible_.shownEntry().entry, forward, true);
}

PlayerEngine::FrameTaken PlayerEngine::decodeOneFrame(mp3::FrameHeader& header)
{
    if (header.headerChange > 1 || !songBegun_) {
        if (!acceptFormat(header)) return FrameTaken::refused;
        const SongLength length = lengthOf(decoder_, header);
        decodedSongSeconds_.store(length.seconds);
        decodedSongMicroseconds_ = length.microseconds;
        if (songBegun_)
            audible_.setLength(songNumber_, length);
        else
            beginHeardSong(length);
        int sampleRate = mp3::sampleRateHz(header);
        readouts_.setSampleRateNumber(sampleRate / 1000);
        readouts_.setBitrateNumber(decoder_.streamBitrateKbps(header));
        control_.deviceFormat.sampleRate.store(sampleRate);
        control_.deviceFormat.channelCount.store(2);
        if (waveOutput_.openDevice(control_.deviceFormat) < 0) return FrameTaken::deviceFailed;
    }
    if (decoder_.decodeFrame(header, waveOutput_)) songGaveAudio_ = true;
    return FrameTaken::decoded;
}

void PlayerEngine::takeEqualiser()
{
    control_.equaliserAsked.store(0);
    std::lock_guard lock(equaliserMutex_);
    decoder_.setEqualiser(equaliser_);
}

bool PlayerEngine::canRemakeAhead() const
{
    return songBegun_ && waveOutput_.canRemakeAfterHead();
}

PlayerEngine::EqualiserHeard PlayerEngine::hearEqualiserNow()
{
    if (!canRemakeAhead()) return EqualiserHeard::later;
    // Requests in quick succession are taken together: the newest counts.
    takeEqualiser();
    const WaveOutput::Place kept = waveOutput_.dropAfterHead();
    if (kept.song == songNumber_) {
        const std::int64_t sample = numberFirstSample_ + (static_cast<std::int64_t>(kept.frame) - numberFirstFrame_);
        decoder_.redecodeFrom(sample, header_);
        return EqualiserHeard::remade;
    }
    // The end of the song before plays: the song being decoded is dropped
    // with the audio after the block playing, and follows it again.
    decoder_.discardPcm();
    reopen_ = {earlier_.entry, earlier_.song, kept.frame,
               earlier_.firstSample + (static_cast<std::int64_t>(kept.frame) - earlier_.firstFrame)};
    return EqualiserHeard::reopen;
}

void PlayerEngine::endAfterQueuedAudio(const std::string& caption, const std::string& text, MessageIcon icon)
{
    playQueuedAudioToEnd();
    messages_.post(caption, text, icon);
}

void PlayerEngine::playQueuedAudioToEnd()
{
    decoder_.flushPcm(waveOutput_);
    waveOutput_.playQueuedToEnd();
}

bool PlayerEngine::acceptFormat(const mp3::FrameHeader& header)
{
    return header.mode != 3 && header.lsf == 0 && mp3::sampleRateHz(header) == 44100 && header.layer == 3;
}

void PlayerEngine::beginHeardSong(SongLength length)
{
    songBegun_ = true;
    // A song opened again for a seek in it is heard as the same song.
    // The song before, when its end is queued ahead of this one's samples:
    // it can be opened again at any place of that end.
    earlier_ = {};
    if (endedBySelf_ && numberKnown_)
        earlier_ = {songNumber_, numberFirstFrame_, numberFirstSample_, decodingEntryBegun_, numberSong_};
    waveOutput_.setEarlierSong(earlier_.number);
    const AudibleSong::Begun begun =
        audible_.begin(songPath_, playlist_.currentId(), length, std::exchange(seekSong_, 0));
    songNumber_ = begun.number;
    decodingSong_ = begun.song;
    numberSong_ = begun.song;
    if (std::exchange(seekAwaitsSong_, false)) seekNumber_.store(songNumber_);
    // After a song that ended by itself, the decoder holds its last partial
    // block, which this song's first samples complete; after a request or at
    // the start it holds nothing.
    numberFirstFrame_ = firstFrame_;
    numberFirstSample_ = decoder_.samplesMade();
    numberKnown_ = true;
    decodingEntryBegun_ = playlist_.currentId();
    waveOutput_.beginSong(songNumber_, firstFrame_, decoder_.heldPcmBytes() / pcm::bytesPerFrame);
}

void PlayerEngine::cleanup()
{
    waveOutput_.closeDevice();
    // The song shown stays, at its start: nothing of it plays any more.
    audible_.rest();
    audible_.relay(readouts_);
    // Nothing is left to pause, nor will be until the next start.
    allowPause(false);
    control_.playerRunning.store(0);
    // Last of all: a window thread waiting in stopPlayback may now start a
    // new player thread at once.
    control_.stopRequested.store(0);
    control_.stopRequested.notify_all();
}
