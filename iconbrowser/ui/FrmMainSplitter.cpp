// The lists' layout from the splitter's place, and dragging the splitter.
#include "FrmMain.h"

#include "FileList.h"
#include "FolderList.h"
#include "SplitterGrip.h"
#include "Twips.h"

#include <QEvent>
#include <QGroupBox>

#include <cmath>

namespace glint {

namespace {

// SizeControls puts the grip this far left of the place it is given.
constexpr double gripOffset = 260;

} // namespace

// Each step stands alone: one that would give a negative width is skipped.
void FrmMain::SizeControls(double x)
{
    twips::setWidth(dir1_, x - 300);
    twips::setLeft(imgSplitter_, x - gripOffset);
    twips::setLeft(file1_, x - 220);
    twips::setWidth(file1_, twips::of(fSource_).width() - (twips::of(dir1_).width() + 150));
    twips::setTop(imgSplitter_, twips::of(dir1_).top());
    twips::setHeight(imgSplitter_, twips::of(file1_).height());
}

// Laid out for the grip where it stands, so showing, minimising and
// restoring never move it.
void FrmMain::Form_Resize()
{
    SizeControls(twips::of(imgSplitter_).left() + gripOffset);
}

void FrmMain::imgSplitter_MouseDown()
{
    const QRectF grip = twips::of(imgSplitter_);
    twips::place(picSplitter_, {grip.left(), grip.top(), std::floor(std::round(grip.width()) / 2), grip.height() - 20});
    picSplitter_->show();
    picSplitter_->raise();
    splitterMoving_ = true;
}

void FrmMain::imgSplitter_MouseMove(double x)
{
    if (!splitterMoving_) return;
    const double position = twips::of(imgSplitter_).left() + x;
    const double rightLimit = windowWidthTwips() - splitLimit;
    if (position < splitLimit)
        twips::setLeft(picSplitter_, splitLimit);
    else if (position > rightLimit)
        twips::setLeft(picSplitter_, rightLimit);
    else
        twips::setLeft(picSplitter_, position);
}

// Laid out for the place where the bar was let go.
void FrmMain::imgSplitter_MouseUp()
{
    SizeControls(twips::of(picSplitter_).left() + gripOffset);
    picSplitter_->hide();
    splitterMoving_ = false;
}

double FrmMain::windowWidthTwips() const
{
    return twips::fromPixels(this, frameGeometry().width());
}

void FrmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void FrmMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) Form_Resize();
}

} // namespace glint
