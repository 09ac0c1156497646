#pragma once

#include "Icons.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace glint {

// One box of a page of icons, read off the window thread.
struct IconPageBox {
    // At the standard size: the box's picture, what Save writes as a bitmap.
    QImage icon;
    // At the box's size in device pixels, from the image that fits it best,
    // scaled smoothly: what the box shows (the same as `icon` at scale 1).
    QImage shown;
    // The lines of the tool tip after the box's own: where it stands, its images.
    QStringList details;
};

struct IconPage {
    QString path;
    int first = 0;
    int count = 0;                  // icons in the file, at most 32767
    std::vector<IconPageBox> boxes; // one per box; a box past the last icon is blank
    std::uint64_t request = 0;      // which of the window's requests it answers
};

// Opens a file's icons: finds what kind of file it is and reads its icon
// directory. A missing or unreadable file gives a reader of no icons.
using IconFileOpener = std::function<std::unique_ptr<icons::IconReader>(const QString& path)>;
std::unique_ptr<icons::IconReader> openIconFile(const QString& path);

// The file whose icons the row shows. Its first page read opens it and reads
// its icon directory; every later page reads only its own icons. The window
// holds the shown file and hands it to each page read, which holds it until
// it ends: a file replaced by a newer one lives on until its last read ends.
// Page reads run off the window thread and may overlap (a newer request does
// not wait for an older one to end), so they take turns at the reader, which
// reads for one thread at a time.
class ShownFile {
public:
    explicit ShownFile(QString path, IconFileOpener open = openIconFile);
    ~ShownFile();
    ShownFile(const ShownFile&) = delete;
    ShownFile& operator=(const ShownFile&) = delete;

    const QString& path() const { return path_; }

    // Reads `boxes` icons from icon `first` on, for boxes of `devicePixels`
    // square (the standard size times the screen's scale). Safe to run on any
    // thread; a hostile file costs its reader's bounds, no more.
    IconPage readPage(int first, int boxes, int devicePixels) const;

private:
    const QString path_;
    const IconFileOpener open_;
    mutable std::mutex reading_;
    mutable std::unique_ptr<icons::IconReader> reader_; // opened by the first page read
};

// One page of `path`, read from a file opened for it alone.
IconPage readIconPage(const QString& path, int first, int boxes, int devicePixels);

// The page's icon count as a 16-bit signed number, as the browser counts.
int asSixteenBit(int count);

} // namespace glint
