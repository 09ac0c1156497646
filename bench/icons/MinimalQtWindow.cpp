// A minimal Qt Widgets window: the start-up peer of GlintGatherer.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Minimal"));
    window.resize(484, 294);
    window.show();
    return application.exec();
}
