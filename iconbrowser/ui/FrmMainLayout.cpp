// The main window's controls at their places, its menus and tool buttons.
#include "FrmMain.h"

#include "Artwork.h"
#include "DriveList.h"
#include "FileList.h"
#include "FolderList.h"
#include "Fonts.h"
#include "HelpFile.h"
#include "IconBox.h"
#include "SplitterGrip.h"
#include "Prompts.h"
#include "Twips.h"

#include <QDir>
#include <QGroupBox>
#include <QLayout>
#include <QMenuBar>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolButton>

namespace glint {

namespace {

constexpr double clientWidth = 7260;
constexpr double clientHeight = 4140;
constexpr double iconBoxSide = 510;
constexpr double smallBoxSpacing = 945;

const QString iconToExtract = QStringLiteral("Icon To Extract");
const QString iconsInTheFile = QStringLiteral("Icons In The Executable or DLL");

template <typename Widget>
Widget* placed(Widget* widget, const char* name, const QRectF& at, const QString& toolTip = {})
{
    widget->setObjectName(QString::fromLatin1(name));
    twips::place(widget, at);
    if (!toolTip.isEmpty()) widget->setToolTip(toolTip);
    return widget;
}

QWidget* pictureBox(QWidget* parent, const char* name, const QRectF& at, QColor colour, const QString& toolTip)
{
    auto* box = placed(new QWidget(parent), name, at, toolTip);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Window, colour);
    box->setPalette(palette);
    box->setAutoFillBackground(true);
    return box;
}

QToolButton* toolButton(QWidget* parent, const char* name, const QRectF& at, const QIcon& picture,
                        const QString& toolTip)
{
    auto* button = placed(new QToolButton(parent), name, at, toolTip);
    button->setIcon(picture);
    button->setIconSize(QSize(16, 16));
    button->setAutoRaise(false);
    return button;
}

// A list's one-pixel frame covers only part of a device pixel at fractional
// scales (1.25, 1.5), and its contents start on the next whole pixel: the
// list paints the strip between with its own base colour, so that the frame's
// caption and background never show through its border.
void paintsAllOfItself(QAbstractScrollArea* list)
{
    list->setBackgroundRole(QPalette::Base);
    list->setAutoFillBackground(true);
}

} // namespace

FrmMain::FrmMain(const FrmMainServices& services) : services_(services), helpFile_(helpFileName)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(title);
    setWindowIcon(artwork::programIcon());
    setFont(sansSerif(8.25, true));
    buildControls();
    buildMenus();
    setHelpTopics();

    // The process's current drive and folder, before the lists start following each other.
    // A current folder that can no longer be read opens the root instead.
    if (dir1_->setPath(QDir::currentPath())) dir1_->setPath(QDir::rootPath());
    drive1_->setDrive(DriveList::driveOf(dir1_->path()));
    file1_->setPath(dir1_->path());
    connectControls();
    // Browsing starts in the folder list.
    dir1_->setFocus();

    // A fixed single border: the window keeps the size of its client area.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

FrmMain::~FrmMain()
{
    // A page being read holds no pointer to the window; its end is waited for
    // so that no reading outlives the program's objects.
    if (pageWatcher_) pageWatcher_->waitForFinished();
}

void FrmMain::buildControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(twips::toPixels(this, clientWidth), twips::toPixels(this, clientHeight));
    setCentralWidget(client);
    const QFont listFont = sansSerif(8.25, false);

    fToolbar_ = placed(new QFrame(client), "fToolbar", {-15, -60, 7530, 540});
    drive1_ = new DriveList(fToolbar_);
    placed(drive1_, "Drive1", {15, 165, 3035, 315}, QStringLiteral("The Source Drive"));
    drive1_->setFont(listFont);
    cmdHelp_ = toolButton(fToolbar_, "cmdHelp", {5730, 165, 360, 330}, artwork::helpPicture(), QStringLiteral("Help"));
    cmdWhatsThis_ = toolButton(fToolbar_, "cmdWhatsThis", {6135, 165, 360, 330}, artwork::whatsThisPicture(),
                               QStringLiteral("What's This Help"));
    cmdExit_ = toolButton(fToolbar_, "cmdExit", {6795, 165, 360, 330}, artwork::exitPicture(), QStringLiteral("Exit"));

    fSource_ = placed(new QGroupBox(QStringLiteral("Source Files"), client), "fSource", {0, 525, 7350, 2580});
    // The grip lies beneath both lists: only the strip that File1 leaves
    // uncovered shows and takes the mouse.
    imgSplitter_ = new SplitterGrip(fSource_);
    placed(imgSplitter_, "imgSplitter", {3330, 435, 150, 1125});
    dir1_ = new FolderList(fSource_);
    placed(dir1_, "Dir1", {0, 15, 3255, 2565}, QStringLiteral("The Source Folder"));
    dir1_->setFont(listFont);
    paintsAllOfItself(dir1_);
    file1_ = new FileList(fSource_);
    placed(file1_, "File1", {3400, -15, 3840, 2625}, QStringLiteral("Choose a File to Extract Icons From"));
    file1_->setFont(listFont);
    paintsAllOfItself(file1_);
    picSplitter_ = pictureBox(fSource_, "picSplitter", {3345, 390, 72, 1155}, QColor(0xC0, 0xC0, 0xC0), {});
    picSplitter_->hide();

    picture1_ = pictureBox(client, "Picture1", {75, 3150, 585, 570}, Qt::white, iconToExtract);
    picIcons_ = pictureBox(client, "picIcons", {915, 3150, 6255, 570}, Qt::white, iconsInTheFile);
    for (int b = 0; b < iconBoxCount; ++b) {
        QWidget* container = b == 0 ? picture1_ : picIcons_;
        icopic_[b] = new IconBox(b, container);
        const double left = b == 0 ? 0 : -15 + smallBoxSpacing * (b - 1);
        twips::place(icopic_[b], {left, 0, iconBoxSide, iconBoxSide});
        icopic_[b]->setOwnToolTip(b == 0 ? iconToExtract : iconsInTheFile);
        icopic_[b]->installEventFilter(this);
    }
    // The wheel over the row, boxes or the white between them, scrolls it.
    picture1_->installEventFilter(this);
    picIcons_->installEventFilter(this);
    picScroll_ = pictureBox(client, "picScroll", {75, 3765, 7095, 345}, palette().color(QPalette::Window),
                            QStringLiteral("Scroll Bar"));
    icoscroll_ = placed(new QScrollBar(Qt::Horizontal, picScroll_), "icoscroll", {15, 30, 6960, 225});
    icoscroll_->setRange(0, 0);
    icoscroll_->setSingleStep(1);
    icoscroll_->setPageStep(iconBoxCount);
    icoscroll_->setTracking(false); // the page follows the thumb when it is let go
    icoscroll_->setEnabled(false);

    // The two lines under the tool bar, a groove: grey, then white below it.
    auto* line1 = pictureBox(client, "Line1", {30, 450, 6615, 15}, QColor(0x80, 0x80, 0x80), {});
    auto* line2 = pictureBox(client, "Line2", {0, 480, 6630, 15}, Qt::white, {});
    line1->raise();
    line2->raise();
}

void FrmMain::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    mopen_ = file->addAction(QStringLiteral("&Open..."));
    mopen_->setObjectName(QStringLiteral("mopen"));
    mopen_->setShortcut(QKeySequence::Open);
    mnuSaveAll_ = file->addAction(QStringLiteral("Save &All Icons..."));
    mnuSaveAll_->setObjectName(QStringLiteral("mnuSaveAll"));
    mnuSaveAll_->setEnabled(false);
    file->addSeparator();
    mexit_ = file->addAction(QStringLiteral("E&xit"));
    mexit_->setObjectName(QStringLiteral("mexit"));

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mhelp"));
    mcontents_ = help->addAction(QStringLiteral("&Contents"));
    mcontents_->setObjectName(QStringLiteral("mcontents"));
    mcontents_->setShortcut(QKeySequence(Qt::Key_F1));
    msearch_ = help->addAction(QStringLiteral("&Search For Help On..."));
    msearch_->setObjectName(QStringLiteral("msearch"));
    mwhatsthis_ = help->addAction(QStringLiteral("What's This"));
    mwhatsthis_->setObjectName(QStringLiteral("mwhatsthis"));
    mwhatsthis_->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1));
    help->addSeparator()->setObjectName(QStringLiteral("sep3"));
    mabout_ = help->addAction(QStringLiteral("&About Glint Gatherer"));
    mabout_->setObjectName(QStringLiteral("mabout"));
    // Menus keep the platform's menu font, not the window's bold one.
    menuBar()->setFont(QFont());
    // The controls below the menu bar start on a whole device pixel: at 1.25 a
    // bar of 18 pixels put them at 22.5, and the folder list's top border fell
    // between two device pixels and was lost.
    menuBar()->setFixedHeight(
        twips::toWholeDevicePixels(menuBar()->sizeHint().height(), menuBar()->devicePixelRatioF()));

    mnuPopUp_ = new QMenu(QStringLiteral("PopUp"), this);
    mnuPopUp_->setObjectName(QStringLiteral("mnuPopUp"));
    mnuSave_ = mnuPopUp_->addAction(QStringLiteral("Sa&ve"));
    mnuSave_->setObjectName(QStringLiteral("mnuSave"));
    mnuCopy_ = mnuPopUp_->addAction(QStringLiteral("&Copy"));
    mnuCopy_->setObjectName(QStringLiteral("mnuCopy"));
}

void FrmMain::connectControls()
{
    connect(file1_, &FileList::fileClicked, this, &FrmMain::File1_Click);
    connect(icoscroll_, &QScrollBar::valueChanged, this, &FrmMain::icoscroll_Change);
    pageWatcher_ = new QFutureWatcher<IconPage>(this);
    connect(pageWatcher_, &QFutureWatcher<IconPage>::finished, this, [this] { drawIconPage(pageWatcher_->result()); });
    for (IconBox* box : icopic_) {
        connect(box, &IconBox::pressed, this, &FrmMain::icopic_MouseDown);
        connect(box, &IconBox::dragStarted, this, &FrmMain::dragIcon);
        connect(box, &IconBox::scrollRequested, this, &FrmMain::scrollIconRow);
    }
    connect(mnuSaveAll_, &QAction::triggered, this, &FrmMain::mnuSaveAll_Click);
    connect(dir1_, &FolderList::pathChanged, this, &FrmMain::Dir1_Change);
    connect(dir1_, &FolderList::openRefused, this, [this](const FolderError& error) {
        services_.prompts->message(this, QMessageBox::Warning, title, error.message());
    });
    connect(drive1_, &DriveList::driveChanged, this, &FrmMain::Drive1_Change);

    connect(imgSplitter_, &SplitterGrip::pressed, this, &FrmMain::imgSplitter_MouseDown);
    connect(imgSplitter_, &SplitterGrip::moved, this,
            [this](int x) { imgSplitter_MouseMove(twips::fromPixels(this, x)); });
    connect(imgSplitter_, &SplitterGrip::released, this, &FrmMain::imgSplitter_MouseUp);

    connect(mopen_, &QAction::triggered, this, &FrmMain::mopen_Click);
    connect(mexit_, &QAction::triggered, this, &FrmMain::mexit_Click);
    connect(cmdExit_, &QToolButton::clicked, this, &FrmMain::mexit_Click);
    connect(mcontents_, &QAction::triggered, this, &FrmMain::mcontents_Click);
    connect(cmdHelp_, &QToolButton::clicked, this, &FrmMain::mcontents_Click);
    connect(msearch_, &QAction::triggered, this, &FrmMain::msearch_Click);
    connect(mwhatsthis_, &QAction::triggered, this, &FrmMain::mwhatsthis_Click);
    connect(cmdWhatsThis_, &QToolButton::clicked, this, &FrmMain::mwhatsthis_Click);
    connect(mabout_, &QAction::triggered, this, &FrmMain::mabout_Click);
}

} // namespace glint
