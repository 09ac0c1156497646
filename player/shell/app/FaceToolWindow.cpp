#include "FaceToolWindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace {

// How many of the window's own moves are remembered: a platform may report
// a move late, after the face has moved on, and such a report is no move of
// the listener's.
constexpr std::size_t ownMovesKept = 16;

// The work area (less the panels) of the screen that holds most of rect;
// none when rect lies on no screen at all.
QRect workAreaUnder(const QRect& rect)
{
    QRect best;
    qint64 bestArea = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect common = screen->geometry().intersected(rect);
        const qint64 area = qint64(common.width()) * common.height();
        if (area > bestArea) {
            bestArea = area;
            best = screen->availableGeometry();
        }
    }
    return best;
}

// rect moved as little as it takes to lie within area (to its top-left
// corner when it is larger).
QPoint keptWithin(const QRect& rect, const QRect& area)
{
    const int x = std::max(area.left(), std::min(rect.left(), area.right() + 1 - rect.width()));
    const int y = std::max(area.top(), std::min(rect.top(), area.bottom() + 1 - rect.height()));
    return QPoint(x, y);
}

bool samePlace(const ToolWindowPlace::Place& one, const ToolWindowPlace::Place& other)
{
    return one.x == other.x && one.y == other.y && one.width == other.width && one.height == other.height;
}

} // namespace

FaceToolWindow::FaceToolWindow(QWidget& face, ToolWindowPlace place, const QString& title, QSize defaultSize, Side side)
    : QWidget(&face, Qt::Tool), face_(face), place_(std::move(place)), side_(side)
{
    setWindowTitle(title);
    rest_.setSingleShot(true);
    rest_.setInterval(restMilliseconds);
    connect(&rest_, &QTimer::timeout, this, &FaceToolWindow::savePlace);
    const std::optional<ToolWindowPlace::Place> saved = place_.readPlace();
    const bool sizeSaved = saved && saved->width > 0 && saved->height > 0;
    resize(sizeSaved ? QSize(saved->width, saved->height) : defaultSize);
    offset_ = saved ? QPoint(saved->x, saved->y) : besideFace(size());
    if (saved) saved_ = *saved;
    face_.installEventFilter(this);
}

FaceToolWindow::~FaceToolWindow()
{
    face_.removeEventFilter(this);
    if (rest_.isActive()) savePlace();
}

void FaceToolWindow::setOpen(bool open)
{
    const bool was = isVisible();
    if (open) {
        placeBesideFace();
        const QSize framed = frameGeometry().size();
        show();
        // The frame's size is known once shown: placed again when it needs room.
        if (frameGeometry().size() != framed) placeBesideFace();
        raise();
    } else {
        hide();
    }
    place_.writeShown(open);
    if (was != open && onOpenChanged) onOpenChanged(open);
}

void FaceToolWindow::openAsRemembered()
{
    if (place_.readShown()) setOpen(true);
}

QPoint FaceToolWindow::besideFace(const QSize& size) const
{
    const QRect face = face_.frameGeometry();
    const QRect area = workAreaUnder(face);
    if (side_ == Side::below) {
        if (area.isEmpty() || face.bottom() + size.height() <= area.bottom()) return QPoint(0, face.height());
        if (face.top() - size.height() >= area.top()) return QPoint(0, -size.height());
    }
    if (area.isEmpty() || face.right() + size.width() <= area.right()) return QPoint(face.width(), 0);
    if (face.left() - size.width() >= area.left()) return QPoint(-size.width(), 0);
    return QPoint(0, face.height());
}

void FaceToolWindow::placeBesideFace()
{
    const QPoint facePlace = face_.pos();
    QRect wanted(facePlace + offset_, frameGeometry().size());
    QRect area = workAreaUnder(wanted);
    if (area.isEmpty()) {
        // Wholly off every screen (a screen gone since): beside the face.
        wanted.moveTopLeft(facePlace + besideFace(size()));
        area = workAreaUnder(face_.frameGeometry());
    }
    const QPoint topLeft = area.isEmpty() ? wanted.topLeft() : keptWithin(wanted, area);
    moveTo(topLeft);
    if (topLeft - facePlace != offset_) {
        offset_ = topLeft - facePlace;
        placeChanged();
    }
}

void FaceToolWindow::followFace()
{
    moveTo(face_.pos() + offset_);
}

void FaceToolWindow::moveTo(const QPoint& topLeft)
{
    ownMoves_.push_back(topLeft);
    if (ownMoves_.size() > ownMovesKept) ownMoves_.pop_front();
    move(topLeft);
}

bool FaceToolWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &face_ && event->type() == QEvent::Move && isVisible()) followFace();
    return QWidget::eventFilter(watched, event);
}

void FaceToolWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (!isVisible() || std::find(ownMoves_.begin(), ownMoves_.end(), pos()) != ownMoves_.end()) return;
    // Moved by the listener (or the window manager): its new place beside
    // the face.
    offset_ = pos() - face_.pos();
    placeChanged();
}

void FaceToolWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (isVisible()) placeChanged();
}

void FaceToolWindow::closeEvent(QCloseEvent* event)
{
    // The frame's close button closes it as the menu does; the program goes on.
    event->accept();
    place_.writeShown(false);
    savePlace();
    if (onOpenChanged) onOpenChanged(false);
}

void FaceToolWindow::placeChanged()
{
    rest_.start();
}

void FaceToolWindow::savePlace()
{
    rest_.stop();
    const ToolWindowPlace::Place now{offset_.x(), offset_.y(), width(), height()};
    if (saved_ && samePlace(*saved_, now)) return;
    place_.writePlace(now);
    saved_ = now;
}
