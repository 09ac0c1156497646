#include "IconBox.h"

#include "IconImage.h"

#include <QMouseEvent>
#include <QPainter>

namespace glint {

IconBox::IconBox(int index, QWidget* parent) : QWidget(parent), index_(index)
{
    setObjectName(QStringLiteral("icopic(%1)").arg(index));
    setAttribute(Qt::WA_OpaquePaintEvent);
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
    holdsIcon_ = false;
    setToolTip(ownToolTip_);
    update();
}

void IconBox::drawIcon(const QImage& icon, const QStringList& details)
{
    picture_ = icons::drawnOn(icon, background(), surfaceSize());
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
    if (!picture_.isNull()) painter.drawImage(borderWidth, borderWidth, picture_);
    if (border_) {
        painter.setPen(Qt::black);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void IconBox::mousePressEvent(QMouseEvent* event)
{
    emit pressed(index_, event->button(), event->globalPosition().toPoint());
    event->accept();
}

} // namespace glint
