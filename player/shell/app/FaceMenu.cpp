#include "FaceMenu.h"

#include <QActionGroup>
#include <QFileInfo>
#include <QMenu>
#include <functional>
#include <utility>

#include "MainWindow.h"
#include "PlaylistWindow.h"
#include "Settings.h"
#include "ShellTexts.h"
#include "SkinChoice.h"

namespace {

bool sameFile(const std::string& one, const std::string& other)
{
    const QString a = QFileInfo(QString::fromStdString(one)).canonicalFilePath();
    return !a.isEmpty() && a == QFileInfo(QString::fromStdString(other)).canonicalFilePath();
}

// An item that is checked or not, and tells each change.
void addCheckItem(QMenu& menu, const char* text, bool checked, const std::function<void(bool)>& toggled)
{
    QAction* item = menu.addAction(QString::fromLatin1(text));
    item->setCheckable(true);
    item->setChecked(checked);
    QObject::connect(item, &QAction::toggled, &menu, toggled);
}

// Repeat's sub-menu: List, Song and Off, of which the mode set is checked.
void addRepeatMenu(QMenu& menu, PlayerActions& actions)
{
    QMenu* repeat = menu.addMenu(QString::fromLatin1(shelltext::menuRepeat));
    auto* modes = new QActionGroup(repeat);
    using Mode = std::pair<Repeat, const char*>;
    for (const auto& [mode, text] :
         {Mode{Repeat::list, shelltext::menuRepeatList}, Mode{Repeat::song, shelltext::menuRepeatSong},
          Mode{Repeat::off, shelltext::menuRepeatOff}}) {
        QAction* item =
            repeat->addAction(QString::fromLatin1(text), [&actions, mode = mode] { actions.setRepeat(mode); });
        item->setCheckable(true);
        item->setChecked(actions.repeat() == mode);
        modes->addAction(item);
    }
}

} // namespace

FaceMenu::FaceMenu(MainWindow& face) : face_(face) {}

FaceMenu::~FaceMenu() = default;

void FaceMenu::popup(const QPoint& at)
{
    build();
    menu_->popup(at);
}

void FaceMenu::build()
{
    // A menu still open (or closing) goes once the event loop is past it.
    if (menu_) menu_.release()->deleteLater();
    menu_ = std::make_unique<QMenu>(&face_);
    PlayerActions& actions = face_.actions();
    QMenu& menu = *menu_;
    menu.addAction(QString::fromLatin1(shelltext::menuOpenFiles), [&actions] { actions.open(); });
    menu.addAction(QString::fromLatin1(shelltext::menuOpenFolder), [&actions] { actions.openFolder(); });
    menu.addAction(QString::fromLatin1(shelltext::menuAddFiles), [&actions] { actions.addFiles(); });
    menu.addAction(QString::fromLatin1(shelltext::menuAddFolder), [&actions] { actions.addFolder(); });
    QAction* playlist = menu.addAction(QString::fromLatin1(shelltext::menuPlaylist));
    playlist->setCheckable(true);
    playlist->setChecked(face_.playlistWindow().isOpen());
    QObject::connect(playlist, &QAction::toggled, &face_,
                     [this](bool checked) { face_.playlistWindow().setOpen(checked); });

    addRepeatMenu(menu, actions);
    addCheckItem(menu, shelltext::menuShuffle, actions.shuffle(), [&actions](bool on) { actions.setShuffle(on); });

    menu.addAction(QString::fromLatin1(shelltext::menuEqualiser), [this] { face_.showEqualiser(); });
    QMenu* skins = menu.addMenu(QString::fromLatin1(shelltext::menuSkins));
    const std::string worn = face_.settings().skinFile();
    for (const skinchoice::FoundSkin& skin : skinchoice::findSkins(skinFolders_)) {
        // An ampersand of a folder's name is shown, not taken as a shortcut's mark.
        const QString shown = QString::fromStdString(skin.name).replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = skins->addAction(shown, [this, file = skin.skinFile] { face_.wearSkin(file); });
        item->setCheckable(true);
        item->setChecked(sameFile(skin.skinFile, worn));
    }
    skins->addSeparator();
    skins->addAction(QString::fromLatin1(shelltext::menuChooseSkinFile), [this] { face_.chooseSkinFile(); });

    addCheckItem(menu, shelltext::menuOnTop, face_.settings().getOnTop(), [this](bool on) { face_.setOnTop(on); });

    menu.addSeparator();
    menu.addAction(QString::fromLatin1(shelltext::menuAbout), [&actions] { actions.showAbout(); });
    menu.addAction(QString::fromLatin1(shelltext::menuQuit), [&actions] { actions.quit(true); });
}
