#include "IconBox.h"

#include "IconImage.h"

#include <QAbstractSlider>
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include <map>

namespace glint {

IconBox::IconBox(int index, QWidget* parent) : QWidget(parent), index_(index)
{
    setObjectName(QStringLiteral("icopic(%1)").arg(index));
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Tab reaches the row at its first box; a click focuses any box.
    setFocusPolicy(index == 0 ? Qt::StrongFocus : Qt::ClickFocus);
}

QSize IconBox::surfaceSize() const
{
    return size() - QSize(2 * borderWidth, 2 * borderWidth);
}

// The system's window background: the colour behind text and lists (white
// by default), which the toolkit calls the base colour.
QColor IconBox::background() const
{
    return palette().color(QPalette::Base);
}

void IconBox::setBorder(bool single)
{
    if (border_ == single) return;
    border_ = single;
    update();
}

void IconBox::clearPicture()
{
    picture_ = QImage();
    shown_ = QImage();
    holdsIcon_ = false;
    setToolTip(ownToolTip_);
    update();
}

void IconBox::drawIcon(const QImage& icon, const QStringList& details, const QImage& shown)
{
    picture_ = icons::drawnOn(icon, background(), surfaceSize());
    shown_ = shown.isNull() || icon.isNull() ? picture_ : icons::drawnOn(shown, background(), surfaceSize());
    holdsIcon_ = !icon.isNull();
    QStringList lines{ownToolTip_};
    lines += details;
    setToolTip(lines.join(QLatin1Char('\n')));
    update();
}

void IconBox::setOwnToolTip(const QString& text)
{
    ownToolTip_ = text;
    setToolTip(text);
}

void IconBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), background());
    if (!shown_.isNull()) painter.drawImage(QPointF(borderWidth, borderWidth), shown_);
    if (border_) {
        painter.setPen(Qt::black);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(borderWidth, borderWidth, -1 - borderWidth, -1 - borderWidth));
    }
}

void IconBox::mousePressEvent(QMouseEvent* event)
{
    pressedAt_ = event->position().toPoint();
    emit pressed(index_, event->button(), event->globalPosition().toPoint());
    event->accept();
}

void IconBox::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || !holdsIcon_) return;
    if ((event->position().toPoint() - pressedAt_).manhattanLength() < QApplication::startDragDistance()) return;
    emit dragStarted(index_);
}

void IconBox::keyPressEvent(QKeyEvent* event)
{
    const bool menuKey =
        event->key() == Qt::Key_Menu || (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    if (menuKey) {
        emit pressed(index_, Qt::RightButton, mapToGlobal(rect().center()));
        return;
    }
    static const std::map<int, QAbstractSlider::SliderAction> moves{
        {Qt::Key_Left, QAbstractSlider::SliderSingleStepSub}, {Qt::Key_Right, QAbstractSlider::SliderSingleStepAdd},
        {Qt::Key_PageUp, QAbstractSlider::SliderPageStepSub}, {Qt::Key_PageDown, QAbstractSlider::SliderPageStepAdd},
        {Qt::Key_Home, QAbstractSlider::SliderToMinimum},     {Qt::Key_End, QAbstractSlider::SliderToMaximum}};
    const auto move = moves.find(event->key());
    if (move == moves.end() || event->modifiers() != Qt::NoModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    emit scrollRequested(move->second);
}

void IconBox::focusInEvent(QFocusEvent* event)
{
    update();
    QWidget::focusInEvent(event);
}

void IconBox::focusOutEvent(QFocusEvent* event)
{
    update();
    QWidget::focusOutEvent(event);
}

} // namespace glint
