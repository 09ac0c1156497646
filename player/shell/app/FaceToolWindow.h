#pragma once

#include <QPoint>
#include <QSize>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <optional>

#include "Settings.h"

// A window of the player's tools (the playlist, the equaliser) that follows
// the face: a tool window transient for it (above it, no task-bar entry of
// its own), which moves along when the face is dragged and keeps its place
// relative to the face. A place the listener gives it, by moving or sizing
// it, becomes its new place beside the face. Its place and whether it is
// shown are remembered in its section of the settings file; without a place
// remembered it opens beside the face, and it always opens on a screen.
class FaceToolWindow : public QWidget {
public:
    // A move or a resize is saved this long after the last one: a window
    // dragged moves many times a second.
    static constexpr int restMilliseconds = 500;

    // Where it first opens: right of the face (the playlist) or below it (the
    // equaliser), so that two tools opened together do not cover each other.
    enum class Side { right, below };

    FaceToolWindow(QWidget& face, ToolWindowPlace place, const QString& title, QSize defaultSize,
                   Side side = Side::right);
    ~FaceToolWindow() override;

    // Shows or hides the window and remembers which for the next start.
    void setOpen(bool open);
    bool isOpen() const { return isVisible(); }
    // Shown when it was shown at the end of the last run.
    void openAsRemembered();
    // Told when it opens or closes, by setOpen or by its frame's close
    // button.
    std::function<void(bool open)> onOpenChanged;

    // Where its top-left corner lies from the face's.
    QPoint offsetFromFace() const { return offset_; }
    // Saves a changed place at once rather than at its rest (also done when
    // the window goes).
    void savePlace();
    bool placeWaiting() const { return rest_.isActive(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The offset of a window of this size beside the face, on its side when
    // the face's screen has room there: right of the face, else left of it,
    // else below; below it, else above, else as right of it.
    QPoint besideFace(const QSize& size) const;
    // Moves to the face's place plus the offset, wholly on a screen.
    void placeBesideFace();
    void followFace();
    void moveTo(const QPoint& topLeft);
    void placeChanged();

    QWidget& face_;
    ToolWindowPlace place_;
    Side side_;
    QPoint offset_;
    // The place last read or saved, so an unchanged one is not written again.
    std::optional<ToolWindowPlace::Place> saved_;
    // The places it was moved to by following, not yet reported back: a
    // move to one of them is the window's own, not the listener's.
    std::deque<QPoint> ownMoves_;
    QTimer rest_;
};
