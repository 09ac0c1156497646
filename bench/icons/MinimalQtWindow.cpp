// A minimal Qt Widgets window: the start-up peer of GlintGatherer. Built a
// second time with one line of text (WITH_TEXT), which shows what loading the
// fonts adds before a window with any text can be shown.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Minimal"));
    window.resize(484, 294);
#ifdef WITH_TEXT
    auto* text = new QLabel(QStringLiteral("Glint Gatherer"), &window);
    text->adjustSize();
#endif
    window.show();
    return application.exec();
}
