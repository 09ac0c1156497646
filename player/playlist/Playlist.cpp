#include "Playlist.h"

#include "FolderSongs.h"
#include "M3uReader.h"

void Playlist::clear()
{
    std::lock_guard lock(mutex_);
    entries_.clear();
    current_ = 0;
}

void Playlist::append(const std::string& path)
{
    std::lock_guard lock(mutex_);
    entries_.push_back(path);
}

int Playlist::getCurrent(std::string& path) const
{
    std::lock_guard lock(mutex_);
    if (entries_.empty()) return 0;
    path = entries_[current_];
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

void Playlist::replaceWith(const std::string& path)
{
    std::vector<std::string> paths = read(path);
    std::lock_guard lock(mutex_);
    entries_ = std::move(paths);
    current_ = 0;
}

std::vector<std::string> Playlist::entries() const
{
    std::lock_guard lock(mutex_);
    return entries_;
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

void Playlist::appendAll(std::vector<std::string>&& paths)
{
    std::lock_guard lock(mutex_);
    for (auto& path : paths) entries_.push_back(std::move(path));
}
