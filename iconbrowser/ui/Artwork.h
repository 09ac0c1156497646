#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace glint::artwork {

// The program icon: a faceted gem with a glint, at 32 x 32 and 16 x 16 (the
// desktop icon's two smallest pictures).
QIcon programIcon();

// The 16 x 16 pictures of the tool buttons.
QIcon helpPicture();
QIcon whatsThisPicture();
QIcon exitPicture();

// The folder list's 16 x 16 pictures of an opened and a closed folder.
QIcon openFolderPicture();
QIcon closedFolderPicture();

// A 139 x 18 link picture of the about window: `text` underlined in link blue.
QPixmap linkPicture(const QString& text);

// The about window's own pointer for links: a hand with its finger pointing up.
QCursor linkCursor();

} // namespace glint::artwork
