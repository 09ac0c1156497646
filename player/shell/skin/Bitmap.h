#pragma once

#include <QImage>
#include <QRect>
#include <string>

class QPainter;

// One skin bitmap, every pixel as stored in its file: the exact colours the
// window shape is made from, and what is drawn.
class Bitmap {
public:
    // Largest side we accept: a skin face is a few hundred pixels, and a
    // bigger file is a damaged or hostile one that would only exhaust memory.
    static constexpr int maxSide = 4096;

    // Throws ShellError("Bitmap file could not be loaded.") when the file is
    // missing, is not a readable Windows bitmap, lacks pixel data its headers
    // promise, or is larger than maxSide.
    static Bitmap load(const std::string& path);

    int width() const { return image_.width(); }
    int height() const { return image_.height(); }
    const QImage& image() const { return image_; }

    void drawAt(QPainter& target, int x, int y) const;
    // Copies of the bitmap side by side and row under row, from (0, 0), over
    // the area.
    void drawTiled(QPainter& target, const QRect& area) const;

private:
    explicit Bitmap(QImage image);

    QImage image_;
};

// A rectangle cut out of a bitmap, and where it is drawn on its target. The
// piece does not own the bitmap.
struct BitmapPiece {
    const Bitmap* bitmap = nullptr;
    int sourceX = 0;
    int sourceY = 0;
    int width = 0;
    int height = 0;
    int destinationX = 0;
    int destinationY = 0;

    void draw(QPainter& target) const;
};
