#include "Skin.h"

#include <QDateTime>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

SkinWindow::SkinWindow(const char* title, const QString& className)
{
    setObjectName(className);
    setWindowTitle(QString::fromLatin1(title));
    // Every skin window paints each of its pixels from the skin.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

QString SkinWindow::generatedClassName()
{
    return QStringLiteral("WindowClass %1").arg(QDateTime::currentMSecsSinceEpoch());
}

void SkinWindow::createWindow(SkinWindow* parent, bool topmost, const QRect& geometry)
{
    if (parent) {
        setParent(parent);
        setWindowFlags(Qt::Widget);
        // The keyboard stays with the top-level window (Escape quits there).
        setFocusPolicy(Qt::NoFocus);
    } else {
        Qt::WindowFlags flags = Qt::FramelessWindowHint;
        flags |= topmost ? (Qt::Window | Qt::WindowStaysOnTopHint) : Qt::Tool;
        setWindowFlags(flags);
        setFocusPolicy(Qt::StrongFocus);
    }
    setGeometry(geometry);
}

QPoint SkinWindow::mouseOnScreen(int x, int y) const
{
    if (mouseEvent_ && mouseEvent_->position().toPoint() == QPoint(x, y))
        return mouseEvent_->globalPosition().toPoint();
    return mapToGlobal(QPoint(x, y));
}

void SkinWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    onPaint(painter);
}

void SkinWindow::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    mouseEvent_ = event;
    onMouseMove(at.x(), at.y(), event->buttons());
    mouseEvent_ = nullptr;
    event->accept();
}

void SkinWindow::mousePressEvent(QMouseEvent* event)
{
    // A press on a control stays with the control: it never reaches the
    // window under it (no drag starts from a button or a readout).
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    onLeftButtonDown(at.x(), at.y(), event->buttons());
}

void SkinWindow::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    onLeftButtonUp(at.x(), at.y(), event->buttons());
}

void SkinWindow::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    int code = text.isEmpty() ? 0 : text.at(0).unicode();
    if (event->key() == Qt::Key_Escape) code = 27;
    if (code == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    onChar(code);
}

void SkinWindow::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted()) onDestroy();
}
