#pragma once

#include <QDialog>
#include <QUrl>

#include <functional>

class QLabel;

namespace glint {

// The about window: the program's icon, name and version, a notice, and links
// to the author's web page and mail address. A click anywhere but on a link,
// or a character key, closes it.
class FrmSplash final : public QDialog {
    Q_OBJECT
public:
    using LinkOpener = std::function<void(const QUrl&)>;

    // `openLink` opens an address with the user's default handler.
    FrmSplash(QWidget* parent, LinkOpener openLink);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();

    LinkOpener openLink_;
};

} // namespace glint
