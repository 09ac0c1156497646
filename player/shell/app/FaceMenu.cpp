#include "FaceMenu.h"

#include <QFileInfo>
#include <QMenu>

#include "MainWindow.h"
#include "Settings.h"
#include "ShellTexts.h"
#include "SkinChoice.h"

namespace {

bool sameFile(const std::string& one, const std::string& other)
{
    const QString a = QFileInfo(QString::fromStdString(one)).canonicalFilePath();
    return !a.isEmpty() && a == QFileInfo(QString::fromStdString(other)).canonicalFilePath();
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

    QAction* onTop = menu.addAction(QString::fromLatin1(shelltext::menuOnTop));
    onTop->setCheckable(true);
    onTop->setChecked(face_.settings().getOnTop());
    QObject::connect(onTop, &QAction::toggled, &face_, [this](bool checked) { face_.setOnTop(checked); });

    menu.addSeparator();
    menu.addAction(QString::fromLatin1(shelltext::menuAbout), [&actions] { actions.showAbout(); });
    menu.addAction(QString::fromLatin1(shelltext::menuQuit), [&actions] { actions.quit(true); });
}
