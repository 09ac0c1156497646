#pragma once

#include "FrmSplash.h"
#include "IconPage.h"

#include <QFutureWatcher>
#include <QMainWindow>
#include <QString>

#include <array>
#include <memory>

class QAction;
class QFrame;
class QGroupBox;
class QMenu;
class QMimeData;
class QScrollBar;
class QSettings;
class QTemporaryDir;
class QToolButton;

namespace glint {

class DriveList;
class FileList;
class FolderList;
class HelpViewer;
class IconBox;
class Prompts;
class SplitterGrip;

// What the main window needs from outside: the user's boxes, where the help
// viewer looks for the help file, where the position is kept, how the about
// window's links are opened, and how a chosen file's icons are opened (off
// the window thread, once for each file chosen).
struct FrmMainServices {
    Prompts* prompts = nullptr;
    QString helpFolder;
    QSettings* settings = nullptr;
    FrmSplash::LinkOpener openLink;
    IconFileOpener openIcons = openIconFile;
};

// The icon browser's main window: drive, folder and file lists, eight icon
// boxes with their scroll bar, the splitter between the lists, menus and tool
// buttons. The layout is in FrmMainLayout.cpp, browsing in FrmMainBrowse.cpp,
// the splitter in FrmMainSplitter.cpp, start and close in FrmMainPlacement.cpp
// and the help commands in FrmMainHelp.cpp.
class FrmMain final : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int iconBoxCount = 8;
    static constexpr double splitLimit = 500; // twips
    static inline const QString title = QStringLiteral("Glint Gatherer");

    explicit FrmMain(const FrmMainServices& services);
    ~FrmMain() override;

    // Browsing. A page is read off the window thread and drawn when it is
    // ready: pageDrawn follows every LoadIconPage that is not overtaken. The
    // loaded file is opened once; its pages after the first read only their icons.
    int CountIcons(int count);
    void LoadIconPage(const QString& path);
    bool pageLoading() const { return pageLoading_; }
    void ClearIconBorders();
    void File1_Click();
    void icoscroll_Change();
    void icopic_MouseDown(int index, Qt::MouseButton button, QPoint globalPosition);
    void Dir1_Change();
    void Drive1_Change();
    void mnuSave_Click(int index);
    // Icons out: the box's icon to the clipboard or dragged out, every icon
    // of the loaded file into a folder.
    void mnuCopy_Click(int index);
    void dragIcon(int index);
    void mnuSaveAll_Click();
    // What Copy and a drag hand out: the PNG stream, the image, and a PNG file
    // named after the file and the icon; null (with the reason) for a blank box.
    QMimeData* iconMimeData(int index, QString* error);
    // Goes to a folder, or to a file's folder with that file chosen and its
    // icons shown: a path from the command line or handed over by a later start.
    void openPath(const QString& path);
    // File > Open...: a typed or pasted path, opened as openPath does.
    void mopen_Click();

    // Layout and splitter, lengths in twips.
    void SizeControls(double x);
    void imgSplitter_MouseDown();
    void imgSplitter_MouseMove(double x);
    void imgSplitter_MouseUp();

    // Start and close.
    void Form_Load();
    void Form_Unload();
    void mexit_Click();

    // Help.
    void mcontents_Click();
    void msearch_Click();
    void mwhatsthis_Click();
    void mabout_Click();
    void setHelpFile(const QString& name) { helpFile_ = name; }
    HelpViewer* helpViewer() const { return helpViewer_; }

    const QString& loadedPath() const { return loadedPath_; }
    int iconsPresent() const { return iconsPresent_; }
    bool splitterMoving() const { return splitterMoving_; }
    IconBox* icopic(int index) const { return icopic_[index]; }
    QScrollBar* icoscroll() const { return icoscroll_; }
    FolderList* Dir1() const { return dir1_; }
    FileList* File1() const { return file1_; }
    DriveList* Drive1() const { return drive1_; }
    QWidget* picSplitter() const { return picSplitter_; }
    SplitterGrip* imgSplitter() const { return imgSplitter_; }
    QMenu* mnuPopUp() const { return mnuPopUp_; }
    QAction* mnuSaveAll() const { return mnuSaveAll_; }

signals:
    void pageDrawn();
    // Save All Icons has ended, `written` icons written.
    void iconsSaved(int written);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void connectControls();
    void setHelpTopics();
    void Form_Resize();
    void showHelp(bool search);
    double windowWidthTwips() const;
    void drawIconPage(IconPage page);
    QByteArray iconBytes(int index, bool wholeIcon) const;
    void scrollIconRow(int action);
    bool eventFilter(QObject* watched, QEvent* event) override;

    FrmMainServices services_;
    QString helpFile_;

    QFrame* fToolbar_ = nullptr;
    DriveList* drive1_ = nullptr;
    QToolButton* cmdHelp_ = nullptr;
    QToolButton* cmdWhatsThis_ = nullptr;
    QToolButton* cmdExit_ = nullptr;
    QGroupBox* fSource_ = nullptr;
    QWidget* picSplitter_ = nullptr;
    FolderList* dir1_ = nullptr;
    FileList* file1_ = nullptr;
    SplitterGrip* imgSplitter_ = nullptr;
    QWidget* picture1_ = nullptr;
    QWidget* picIcons_ = nullptr;
    QWidget* picScroll_ = nullptr;
    QScrollBar* icoscroll_ = nullptr;
    std::array<IconBox*, iconBoxCount> icopic_{};

    QAction* mopen_ = nullptr;
    QAction* mexit_ = nullptr;
    QAction* mcontents_ = nullptr;
    QAction* msearch_ = nullptr;
    QAction* mwhatsthis_ = nullptr;
    QAction* mabout_ = nullptr;
    QMenu* mnuPopUp_ = nullptr;
    QAction* mnuSave_ = nullptr;
    QAction* mnuCopy_ = nullptr;
    QAction* mnuSaveAll_ = nullptr;
    HelpViewer* helpViewer_ = nullptr;

    QString loadedPath_;
    QString lastSaveFolder_; // where the save dialog opens: the folder last saved to
    int iconsPresent_ = 0;
    bool splitterMoving_ = false;

    QFutureWatcher<IconPage>* pageWatcher_ = nullptr;
    bool pageLoading_ = false;
    std::shared_ptr<const ShownFile> shownFile_; // the loaded file, shared with the page reads of it
    std::uint64_t pageRequests_ = 0;             // the number of the last page asked for
    IconPage shownPage_;              // what the boxes show: its path, first icon and count (its images are not kept)
    bool clearBordersOnDraw_ = false; // a new file's page is drawn without borders
    int wheelAngle_ = 0;              // of the wheel over the row, less the whole notches taken
    std::unique_ptr<QTemporaryDir> dragFolder_; // the files dragged out, until the program ends
};

} // namespace glint
