#pragma once

#include <QImage>
#include <QStringList>
#include <QWidget>

namespace glint {

// One icon box (`icopic`): a picture box with a one-pixel border that is
// either there or not, and a persistent drawing surface inside it. Drawing
// goes into the surface; the surface's image then becomes the box's picture,
// which outlives repaints and is what Save writes.
class IconBox final : public QWidget {
    Q_OBJECT
public:
    // The surface: the box less its single border, on the window colour.
    static constexpr int borderWidth = 1;

    explicit IconBox(int index, QWidget* parent);

    int index() const { return index_; }
    QSize surfaceSize() const;
    QColor background() const;

    bool hasBorder() const { return border_; }
    void setBorder(bool single);

    const QImage& picture() const { return picture_; }
    // Whether the picture shows an icon rather than the blank surface.
    bool holdsIcon() const { return holdsIcon_; }
    void clearPicture();
    // Draws `icon` (may be null: nothing is drawn) into a blank surface at its
    // top-left corner and makes the result the picture. The tool tip is the
    // box's own text, then the lines of `details` (none for a blank box).
    // `shown`, when given, is the same icon at the screen's pixels (its device
    // pixel ratio set): the box shows it in place of the picture.
    void drawIcon(const QImage& icon, const QStringList& details = {}, const QImage& shown = {});
    // What the box shows: the picture at the screen's pixels.
    const QImage& shownPicture() const { return shown_; }

    // The box's own tool tip, the first line of every other.
    void setOwnToolTip(const QString& text);

signals:
    void pressed(int index, Qt::MouseButton button, QPoint globalPosition);
    // The left button dragged out of the box past the drag distance.
    void dragStarted(int index);
    // A key asks the row to move (a QAbstractSlider::SliderAction).
    void scrollRequested(int action);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int index_;
    bool border_ = false;
    bool holdsIcon_ = false;
    QImage picture_;
    QImage shown_;
    QString ownToolTip_;
    QPoint pressedAt_;
};

} // namespace glint
