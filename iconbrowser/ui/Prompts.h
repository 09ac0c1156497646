#pragma once

#include "PngCodec.h"
#include "SaveIcon.h"

#include <QMessageBox>
#include <QPoint>
#include <QString>

class QAction;
class QMenu;
class QWidget;

namespace glint {

// Where Save All Icons writes, and as what; no folder when cancelled.
struct SaveAllTarget {
    QString folder;
    icons::ExportFormat format = icons::ExportFormat::Icon;
};

// What the windows ask of the user through modal boxes: message boxes, the
// save dialog, the pop-up menu. Tests put a recording stand-in in its place.
class Prompts {
public:
    virtual ~Prompts() = default;
    // A modal box with one OK button.
    virtual void message(QWidget* owner, QMessageBox::Icon icon, const QString& title, const QString& text) = 0;
    // The save dialog set up as Save As Bitmap, opening in `folder` (the
    // current folder when empty): the chosen path and its format (as
    // saveTargetFor gives them); no path when cancelled.
    virtual SaveTarget askSaveTarget(QWidget* owner, const QString& folder) = 0;
    // A file or folder path typed or pasted by the user, relative ones
    // against `folder`; empty when cancelled.
    virtual QString askPath(QWidget* owner, const QString& folder) = 0;
    // Shows the menu at `globalPosition` until the user chooses or dismisses it.
    virtual QAction* popUp(QMenu& menu, QPoint globalPosition) = 0;
    // The folder that Save All Icons writes into, and whether as icon files or PNG images.
    virtual SaveAllTarget askSaveAllTarget(QWidget* owner) = 0;
};

// The real boxes.
class QtPrompts final : public Prompts {
public:
    void message(QWidget* owner, QMessageBox::Icon icon, const QString& title, const QString& text) override;
    SaveTarget askSaveTarget(QWidget* owner, const QString& folder) override;
    QString askPath(QWidget* owner, const QString& folder) override;
    QAction* popUp(QMenu& menu, QPoint globalPosition) override;
    SaveAllTarget askSaveAllTarget(QWidget* owner) override;
};

} // namespace glint
