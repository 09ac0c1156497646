#include "Artwork.h"

#include "Fonts.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace glint::artwork {

namespace {

QPixmap blank(int width, int height)
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A question mark drawn as strokes: pictures need no font, so they cost
// nothing at start-up.
void drawQuestionMark(QPainter& p, const QRectF& box, QColor colour)
{
    p.save();
    p.setPen(QPen(colour, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const QRectF bowl(box.left(), box.top(), box.width(), box.height() * 0.5);
    QPainterPath stroke;
    stroke.arcMoveTo(bowl, 160);
    stroke.arcTo(bowl, 160, -250);
    stroke.lineTo(box.center().x(), box.top() + box.height() * 0.72);
    p.drawPath(stroke);
    p.setBrush(colour);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(box.center().x(), box.bottom() - 1), 1.1, 1.1);
    p.restore();
}

QPixmap folder(bool open)
{
    QPixmap pixmap = blank(16, 16);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0x80, 0x60, 0x10));
    p.setBrush(QColor(0xE8, 0xC0, 0x50));
    p.drawPolygon(QPolygonF({{1.5, 3.5}, {6, 3.5}, {7.5, 5}, {14.5, 5}, {14.5, 13.5}, {1.5, 13.5}}));
    if (open) {
        p.setBrush(QColor(0xFF, 0xE0, 0x80));
        p.drawPolygon(QPolygonF({{3.5, 7.5}, {15.5, 7.5}, {13.5, 13.5}, {1.5, 13.5}}));
    }
    return pixmap;
}

} // namespace

QIcon programIcon()
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/glintgatherer-32.png"));
    icon.addFile(QStringLiteral(":/icons/glintgatherer-16.png"));
    return icon;
}

QIcon helpPicture()
{
    QPixmap pixmap = blank(16, 16);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0x10, 0x30, 0x90));
    p.setBrush(QColor(0xFF, 0xF0, 0x90));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    drawQuestionMark(p, QRectF(5.5, 4, 5, 8.5), QColor(0x10, 0x30, 0x90));
    return QIcon(pixmap);
}

QIcon whatsThisPicture()
{
    QPixmap pixmap = blank(16, 16);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({{1, 1}, {1, 12}, {4, 9}, {6, 14}, {8, 13}, {6, 8}, {10, 8}}));
    drawQuestionMark(p, QRectF(10, 1, 5, 9), QColor(0x10, 0x30, 0x90));
    return QIcon(pixmap);
}

QIcon exitPicture()
{
    QPixmap pixmap = blank(16, 16);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // A door ajar with an arrow leaving through it.
    p.setPen(QColor(0x50, 0x30, 0x10));
    p.setBrush(QColor(0xC0, 0x80, 0x40));
    p.drawRect(QRectF(2.5, 1.5, 8, 13));
    p.setBrush(QColor(0x80, 0x50, 0x20));
    p.drawPolygon(QPolygonF({{2.5, 1.5}, {7, 3}, {7, 15.5}, {2.5, 14.5}}));
    p.setPen(QPen(QColor(0xC0, 0x10, 0x10), 2));
    p.drawLine(QPointF(8, 8), QPointF(14.5, 8));
    p.drawLine(QPointF(12, 5.5), QPointF(14.5, 8));
    p.drawLine(QPointF(12, 10.5), QPointF(14.5, 8));
    return QIcon(pixmap);
}

QIcon openFolderPicture()
{
    return QIcon(folder(true));
}

QIcon closedFolderPicture()
{
    return QIcon(folder(false));
}

QPixmap linkPicture(const QString& text)
{
    QPixmap pixmap = blank(139, 18);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont font = sansSerif(8.25, false);
    font.setUnderline(true);
    p.setFont(font);
    p.setPen(QColor(0x00, 0x00, 0xEE));
    p.drawText(pixmap.rect(), Qt::AlignLeft | Qt::AlignVCenter, text);
    return pixmap;
}

QCursor linkCursor()
{
    QPixmap pixmap = blank(32, 32);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    QPainterPath hand;
    hand.addRoundedRect(QRectF(6, 1, 4, 12), 2, 2);   // the pointing finger
    hand.addRoundedRect(QRectF(4, 10, 14, 11), 3, 3); // the fist
    p.drawPath(hand.simplified());
    p.drawLine(QPointF(10, 14), QPointF(10, 17));
    p.drawLine(QPointF(14, 13), QPointF(14, 17));
    return QCursor(pixmap, 8, 1);
}

} // namespace glint::artwork
