#include "EqualiserWindow.h"

#include <QKeySequence>
#include <QShortcut>
#include <QVBoxLayout>

namespace {

const char* const equaliserTitle = "Equaliser";

} // namespace

EqualiserWindow::EqualiserWindow(QWidget& face, const std::string& settingsFile, const mp3::EqualiserSetting& setting,
                                 EqualiserControls::Changed changed)
    : EqualiserWindow(face, settingsFile, new EqualiserControls(setting, std::move(changed)))
{
}

// The controls are made first, so the window's first place beside the face
// is found for their size.
EqualiserWindow::EqualiserWindow(QWidget& face, const std::string& settingsFile, EqualiserControls* controls)
    : FaceToolWindow(face, ToolWindowPlace(settingsFile, placeSection), QString::fromLatin1(equaliserTitle),
                     controls->sizeHint(), Side::below),
      controls_(controls)
{
    auto* layout = new QVBoxLayout(this);
    // Nothing in it grows: the window keeps the controls' size.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(controls_);
    // Escape closes it, as its frame's close button does; the face's own
    // Escape, which quits, is not reached from here.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}
