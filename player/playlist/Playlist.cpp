#include "Playlist.h"

#include <algorithm>

#include "FolderSongs.h"
#include "M3uReader.h"
#include "ShuffleRound.h"

struct Playlist::Order {
    bool shuffled = false;
    ShuffleRound round;
};

namespace {

// The indices below count, sorted, each once.
std::vector<std::size_t> validIndices(const std::vector<int>& indices, std::size_t count)
{
    std::vector<std::size_t> valid;
    for (int index : indices)
        if (index >= 0 && static_cast<std::size_t>(index) < count) valid.push_back(static_cast<std::size_t>(index));
    std::sort(valid.begin(), valid.end());
    valid.erase(std::unique(valid.begin(), valid.end()), valid.end());
    return valid;
}

} // namespace

Playlist::Playlist(ListNotice notice) : notice_(std::move(notice)), order_(std::make_unique<Order>()) {}

Playlist::~Playlist() = default;

void Playlist::clear()
{
    std::lock_guard lock(mutex_);
    entries_.clear();
    order_->round.clear();
    current_ = 0;
    changedLocked();
}

void Playlist::append(const std::string& path)
{
    appendAll({path});
}

int Playlist::getCurrent(std::string& path) const
{
    std::lock_guard lock(mutex_);
    if (entries_.empty()) return 0;
    path = entries_[current_].path;
    return 1;
}

int Playlist::moveTo(int index)
{
    std::lock_guard lock(mutex_);
    if (entries_.empty()) return 0;
    std::size_t last = entries_.size() - 1;
    if (index < 0 || static_cast<std::size_t>(index) > last) {
        current_ = index < 0 ? 0 : last;
        return index < 0 ? 1 : 0;
    }
    current_ = static_cast<std::size_t>(index);
    return 1;
}

int Playlist::moveNext()
{
    std::lock_guard lock(mutex_);
    if (entries_.empty() || current_ + 1 >= entries_.size()) return 0;
    ++current_;
    return 1;
}

int Playlist::movePrevious()
{
    std::lock_guard lock(mutex_);
    if (entries_.empty() || current_ == 0) return 0;
    --current_;
    return 1;
}

int Playlist::count() const
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(entries_.size());
}

int Playlist::currentIndex() const
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(current_);
}

int Playlist::currentId() const
{
    std::lock_guard lock(mutex_);
    return entries_.empty() ? -1 : entries_[current_].id;
}

int Playlist::idAt(int index) const
{
    std::lock_guard lock(mutex_);
    if (index < 0 || static_cast<std::size_t>(index) >= entries_.size()) return -1;
    return entries_[static_cast<std::size_t>(index)].id;
}

bool Playlist::moveToId(int id)
{
    std::lock_guard lock(mutex_);
    const int index = indexOfLocked(id);
    if (index < 0) return false;
    current_ = static_cast<std::size_t>(index);
    return true;
}

void Playlist::addFileOrList(const std::string& path, const LoadStopCheck& shouldStop)
{
    appendAll(read(path, shouldStop));
}

int Playlist::loadList(const std::string& path)
{
    std::vector<std::string> paths;
    M3uReader reader(notice_);
    if (!reader.read(path, paths)) return 0;
    appendAll(std::move(paths));
    return 1;
}

void Playlist::replaceWithAll(const std::vector<std::string>& paths)
{
    std::vector<std::string> read = readAll(paths, {});
    std::lock_guard lock(mutex_);
    entries_.clear();
    order_->round.clear();
    insertLocked(0, std::move(read));
    if (entries_.empty()) return;
    if (order_->shuffled) {
        order_->round.deal(idsLocked(), -1);
        current_ = static_cast<std::size_t>(indexOfLocked(order_->round.lastId()));
    } else {
        current_ = entries_.size() - 1;
    }
}

void Playlist::insertAll(int index, const std::vector<std::string>& paths, const LoadStopCheck& shouldStop)
{
    std::vector<std::string> read = readAll(paths, shouldStop);
    std::lock_guard lock(mutex_);
    insertLocked(std::min(static_cast<std::size_t>(std::max(index, 0)), entries_.size()), std::move(read));
}

Playlist::Removal Playlist::remove(const std::vector<int>& indices, int heardId, bool wrap)
{
    std::lock_guard lock(mutex_);
    const std::vector<std::size_t> gone = validIndices(indices, entries_.size());
    if (gone.empty()) return {};
    std::vector<bool> removed(entries_.size(), false);
    std::vector<int> goneIds;
    for (std::size_t index : gone) {
        removed[index] = true;
        goneIds.push_back(entries_[index].id);
    }
    auto survives = [&](int id) {
        const int index = indexOfLocked(id);
        return index >= 0 && !removed[static_cast<std::size_t>(index)];
    };
    Removal removal;
    const int heardIndex = indexOfLocked(heardId);
    removal.heardRemoved = heardIndex >= 0 && removed[static_cast<std::size_t>(heardIndex)];
    if (removal.heardRemoved) {
        // The walk goes on from where the heard entry stood.
        int id = heardId;
        while ((id = idAfterLocked(id, false)) >= 0 && !survives(id)) {
        }
        if (id < 0 && wrap)
            for (const Entry& entry : entries_)
                if (survives(entry.id)) {
                    id = entry.id;
                    break;
                }
        removal.followerId = id;
    }
    const int currentId = entries_[current_].id;
    const auto before =
        static_cast<std::size_t>(std::count(removed.begin(), removed.begin() + static_cast<long>(current_), true));
    std::size_t kept = 0;
    std::erase_if(entries_, [&](const Entry&) { return removed[kept++]; });
    order_->round.remove(goneIds);
    const int currentIndex = indexOfLocked(currentId);
    // A removed current entry leaves its place to the one that followed it.
    current_ = currentIndex >= 0 ? static_cast<std::size_t>(currentIndex)
                                 : std::min(current_ - before, entries_.empty() ? 0 : entries_.size() - 1);
    changedLocked();
    return removal;
}

void Playlist::move(const std::vector<int>& indices, int to)
{
    std::lock_guard lock(mutex_);
    const std::vector<std::size_t> moving = validIndices(indices, entries_.size());
    if (moving.empty()) return;
    std::vector<bool> moved(entries_.size(), false);
    std::vector<Entry> taken;
    for (std::size_t index : moving) {
        moved[index] = true;
        taken.push_back(entries_[index]);
    }
    // The entries land before the first one at or after to that stays.
    int anchorId = -1;
    for (std::size_t index = static_cast<std::size_t>(std::max(to, 0)); index < entries_.size(); ++index)
        if (!moved[index]) {
            anchorId = entries_[index].id;
            break;
        }
    const int currentId = entries_[current_].id;
    std::size_t kept = 0;
    std::erase_if(entries_, [&](const Entry&) { return moved[kept++]; });
    const int anchor = indexOfLocked(anchorId);
    entries_.insert(anchor < 0 ? entries_.end() : entries_.begin() + anchor, taken.begin(), taken.end());
    current_ = static_cast<std::size_t>(indexOfLocked(currentId));
    changedLocked();
}

bool Playlist::step(int fromId, bool forward, bool wrap)
{
    std::lock_guard lock(mutex_);
    if (entries_.empty()) return false;
    int from = indexOfLocked(fromId);
    if (from < 0) from = static_cast<int>(current_);
    const int last = static_cast<int>(entries_.size()) - 1;
    if (!order_->shuffled) {
        int to = forward ? from + 1 : from - 1;
        if (to < 0 || to > last) {
            if (!wrap) return false;
            to = forward ? 0 : last;
        }
        current_ = static_cast<std::size_t>(to);
        return true;
    }
    const int id = entries_[static_cast<std::size_t>(from)].id;
    ShuffleRound& round = order_->round;
    int to = forward ? round.after(id) : round.before(id);
    if (to < 0) {
        if (!wrap) return false;
        if (forward || round.lastId() < 0) round.deal(idsLocked(), -1, id);
        to = forward ? round.firstId() : round.lastId();
    }
    current_ = static_cast<std::size_t>(indexOfLocked(to));
    return true;
}

int Playlist::idAfter(int id, bool wrap) const
{
    std::lock_guard lock(mutex_);
    return idAfterLocked(id, wrap);
}

int Playlist::idAfterLocked(int id, bool wrap) const
{
    const int index = indexOfLocked(id);
    if (index < 0) return -1;
    if (order_->shuffled) {
        const int after = order_->round.after(id);
        return after >= 0 || !wrap ? after : anyEntry;
    }
    if (static_cast<std::size_t>(index) + 1 < entries_.size()) return entries_[static_cast<std::size_t>(index) + 1].id;
    return wrap ? entries_.front().id : -1;
}

void Playlist::setShuffled(bool shuffled, int firstId)
{
    std::lock_guard lock(mutex_);
    order_->shuffled = shuffled;
    if (indexOfLocked(firstId) < 0) firstId = entries_.empty() ? -1 : entries_[current_].id;
    if (shuffled)
        order_->round.deal(idsLocked(), firstId);
    else
        order_->round.clear();
}

bool Playlist::shuffled() const
{
    std::lock_guard lock(mutex_);
    return order_->shuffled;
}

ListSnapshot Playlist::snapshot(int heardId) const
{
    ListSnapshot snapshot;
    std::lock_guard lock(mutex_);
    snapshot.paths.reserve(entries_.size());
    for (const Entry& entry : entries_) snapshot.paths.push_back(entry.path);
    snapshot.heardIndex = indexOfLocked(heardId);
    snapshot.version = version_;
    return snapshot;
}

std::uint64_t Playlist::version() const
{
    std::lock_guard lock(mutex_);
    return version_;
}

std::vector<std::string> Playlist::entries() const
{
    return snapshot(-1).paths;
}

std::vector<std::string> Playlist::read(const std::string& path, const LoadStopCheck& shouldStop)
{
    std::vector<std::string> paths;
    if (!isListPath(path) && foldersongs::isFolder(path)) {
        M3uReader reader(notice_, shouldStop);
        reader.readFolder(path, paths);
        return paths;
    }
    if (!isListPath(path)) {
        paths.push_back(path);
        return paths;
    }
    M3uReader reader(notice_, shouldStop);
    if (!reader.read(path, paths)) reader.reportUnreadable(path);
    return paths;
}

std::vector<std::string> Playlist::readAll(const std::vector<std::string>& paths, const LoadStopCheck& shouldStop)
{
    std::vector<std::string> all;
    for (const std::string& path : paths) {
        if (shouldStop && shouldStop()) break;
        std::vector<std::string> read = this->read(path, shouldStop);
        all.insert(all.end(), std::make_move_iterator(read.begin()), std::make_move_iterator(read.end()));
    }
    return all;
}

void Playlist::appendAll(std::vector<std::string>&& paths)
{
    std::lock_guard lock(mutex_);
    insertLocked(entries_.size(), std::move(paths));
}

void Playlist::insertLocked(std::size_t index, std::vector<std::string>&& paths)
{
    changedLocked();
    if (paths.empty()) return;
    const bool wasEmpty = entries_.empty();
    const int currentId = wasEmpty ? -1 : entries_[current_].id;
    std::vector<Entry> added;
    std::vector<int> addedIds;
    added.reserve(paths.size());
    for (std::string& path : paths) {
        addedIds.push_back(nextId_);
        added.push_back(Entry{nextId_++, std::move(path)});
    }
    entries_.insert(entries_.begin() + static_cast<long>(index), std::make_move_iterator(added.begin()),
                    std::make_move_iterator(added.end()));
    if (!wasEmpty && index <= current_) current_ += addedIds.size();
    if (order_->shuffled) order_->round.addAfter(currentId, addedIds);
}

int Playlist::indexOfLocked(int id) const
{
    if (id < 0) return -1;
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].id == id) return static_cast<int>(i);
    return -1;
}

std::vector<int> Playlist::idsLocked() const
{
    std::vector<int> ids;
    ids.reserve(entries_.size());
    for (const Entry& entry : entries_) ids.push_back(entry.id);
    return ids;
}
