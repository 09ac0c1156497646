#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

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
};

// Reads `boxes` icons of `path` from icon `first` on, for boxes of
// `devicePixels` square (the standard size times the screen's scale). Safe to
// run on any thread; a hostile file costs its reader's bounds, no more.
IconPage readIconPage(const QString& path, int first, int boxes, int devicePixels);

// The page's icon count as a 16-bit signed number, as the browser counts.
int asSixteenBit(int count);

} // namespace glint
