#include "SplitterGrip.h"

#include <QMouseEvent>

namespace glint {

SplitterGrip::SplitterGrip(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("imgSplitter"));
    setCursor(Qt::SizeHorCursor);
}

void SplitterGrip::mousePressEvent(QMouseEvent* event)
{
    emit pressed();
    event->accept();
}

void SplitterGrip::mouseMoveEvent(QMouseEvent* event)
{
    emit moved(qRound(event->position().x()));
    event->accept();
}

void SplitterGrip::mouseReleaseEvent(QMouseEvent* event)
{
    emit released();
    event->accept();
}

} // namespace glint
