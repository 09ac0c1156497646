#include "AudibleSong.h"

#include "PcmBlocks.h"
#include "PlayerReadouts.h"

AudibleSong::Begun AudibleSong::begin(const std::string& path, int entry, SongLength length, std::uint32_t sameSong)
{
    std::lock_guard lock(mutex_);
    const std::uint32_t number = shown().number;
    // Songs older than the one heard are never heard again: blocks play in
    // the order they were written.
    while (!records_.empty() && before(records_.front().number, number)) records_.pop_front();
    const std::uint32_t song = sameSong != 0 ? sameSong : ++lastSong_;
    records_.push_back(Record{++lastNumber_, song, path, entry, length});
    return Begun{lastNumber_, song};
}

void AudibleSong::setLength(std::uint32_t number, SongLength length)
{
    std::lock_guard lock(mutex_);
    for (Record& record : records_)
        if (record.number == number) record.length = length;
}

void AudibleSong::handOver(const std::string& path, int entry)
{
    std::lock_guard lock(mutex_);
    records_.push_back(Record{++lastNumber_, ++lastSong_, path, entry, SongLength{}});
    handedOver_.store(lastNumber_);
    // What came before it is never shown again: it is shown in their place
    // until a song begun after it is heard.
    while (records_.front().number != lastNumber_) records_.pop_front();
}

void AudibleSong::forgetEntries()
{
    std::lock_guard lock(mutex_);
    for (Record& record : records_) record.entry = -1;
}

void AudibleSong::rest()
{
    std::lock_guard lock(mutex_);
    publish(heard().number, 0);
}

AudibleSong::Shown AudibleSong::shownEntry() const
{
    std::lock_guard lock(mutex_);
    const std::uint32_t number = shown().number;
    const Record* record = find(number);
    if (!record) return Shown{};
    return Shown{record->song, record->entry, number != heard().number};
}

AudibleSong::Place AudibleSong::heard() const noexcept
{
    const std::uint64_t heard = heard_.load(std::memory_order_acquire);
    return Place{static_cast<std::uint32_t>(heard >> 32), static_cast<std::uint32_t>(heard)};
}

AudibleSong::Place AudibleSong::shown() const
{
    const Place place = heard();
    const std::uint32_t handedOver = handedOver_.load();
    if (handedOver != 0 && (place.number == 0 || before(place.number, handedOver))) return Place{handedOver, 0};
    return place;
}

const AudibleSong::Record* AudibleSong::find(std::uint32_t number) const
{
    for (const Record& record : records_)
        if (record.number == number) return &record;
    return nullptr;
}

Audible AudibleSong::nowLocked() const
{
    const Place place = shown();
    const Record* record = find(place.number);
    if (!record) return Audible{};
    return Audible{record->song,
                   record->path,
                   record->length.seconds,
                   pcm::wholeSeconds(place.frame),
                   place.frame,
                   record->length.microseconds};
}

Audible AudibleSong::now() const
{
    std::lock_guard lock(mutex_);
    return nowLocked();
}

void AudibleSong::relay(PlayerReadouts& readouts)
{
    // One teller at a time, so that the window thread (a hand-over) and the
    // player thread never tell the readouts in the wrong order.
    std::lock_guard lock(relayMutex_);
    const Audible audible = now();
    // The readouts show whole seconds: frames alone tell them nothing new.
    if (audible.showsAlike(relayed_)) return;
    relayed_ = audible;
    readouts.showAudible(audible);
}
