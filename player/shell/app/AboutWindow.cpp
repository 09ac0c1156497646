#include "AboutWindow.h"

#include <QApplication>

#include "Settings.h"
#include "Desktop.h"
#include "ShellTexts.h"
#include "Skin.h"

AboutWindow::AboutWindow(bool closeOnClick, const PlayerSettings& settings)
    : SkinWindow(shelltext::aboutWindowTitle, QString::fromLatin1(shelltext::aboutWindowClass)),
      closeOnClick_(closeOnClick), picture_(Bitmap::load(skinBitmapPath(settings, "About.bmp")))
{
    const QSize size(picture_.width(), picture_.height());
    createWindow(nullptr, false, QRect(platform::centredOnWorkArea(size), size));
    if (closeOnClick_) setAttribute(Qt::WA_DeleteOnClose);
    showWindow();
}

AboutWindow* AboutWindow::findOpen()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == QLatin1String(shelltext::aboutWindowClass) && window->isVisible())
            return static_cast<AboutWindow*>(window);
    return nullptr;
}

void AboutWindow::onPaint(QPainter& target)
{
    picture_.drawAt(target, 0, 0);
}

void AboutWindow::onLeftButtonUp(int, int, Qt::MouseButtons)
{
    if (closeOnClick_) close();
}
