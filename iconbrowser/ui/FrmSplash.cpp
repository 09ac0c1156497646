#include "FrmSplash.h"

#include "Artwork.h"
#include "AuthorLinks.h"
#include "Fonts.h"
#include "Twips.h"
#include "Version.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

namespace glint {

namespace {

// A link picture: opens its address on a click and leaves the window open.
class LinkImage final : public QLabel {
public:
    LinkImage(QWidget* parent, std::function<void()> open) : QLabel(parent), open_(std::move(open))
    {
        setCursor(artwork::linkCursor());
    }

protected:
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        event->accept();
        if (rect().contains(event->position().toPoint())) open_();
    }

private:
    std::function<void()> open_;
};

QLabel* label(QWidget* parent, const char* name, const QRectF& at, const QString& text, const QFont& font)
{
    auto* result = new QLabel(text, parent);
    result->setObjectName(QString::fromLatin1(name));
    result->setFont(font);
    twips::place(result, at);
    return result;
}

} // namespace

FrmSplash::FrmSplash(QWidget* parent, LinkOpener openLink) : QDialog(parent), openLink_(std::move(openLink))
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QString());
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(twips::toPixels(this, 4875), twips::toPixels(this, 2610));

    auto* picture = new QFrame(this);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    twips::place(picture, {120, 195, 615, 615});
    auto* image = new QLabel(picture);
    image->setObjectName(QStringLiteral("Image1"));
    twips::place(image, {60, 15, 480, 480});
    image->setPixmap(artwork::programIcon().pixmap(32, 32));

    label(this, "Label1", {2220, 120, 2550, 525}, QStringLiteral("Glint Gatherer"), comicSans(18, true));
    label(this, "Label2", {2790, 690, 1980, 525}, QString(), comicSans(18, true));
    label(this, "Label3", {1260, 1335, 3510, 315}, QStringLiteral("Free to use, copy and share."),
          comicSans(11.25, true));

    auto* web = new LinkImage(this, [this] { openLink_(QUrl(authorWebPage)); });
    web->setObjectName(QStringLiteral("imgWebURL"));
    web->setPixmap(artwork::linkPicture(QStringLiteral("Visit the home page")));
    twips::place(web, {2715, 2235, 2085, 270});
    auto* mail = new LinkImage(this, [this] { openLink_(QUrl(authorMail)); });
    mail->setObjectName(QStringLiteral("imgEmailURL"));
    mail->setPixmap(artwork::linkPicture(QStringLiteral("Write to the author")));
    twips::place(mail, {3075, 1935, 2085, 270});

    Form_Load();
}

void FrmSplash::Form_Load()
{
    findChild<QLabel*>(QStringLiteral("Label2"))
        ->setText(QStringLiteral("version %1.%2").arg(versionMajor).arg(versionMinor));
    auto* web = findChild<QLabel*>(QStringLiteral("imgWebURL"));
    web->setEnabled(true);
    web->setVisible(true);
}

// Presses on the labels and the picture reach here too, as they take none themselves.
void FrmSplash::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    accept();
}

void FrmSplash::keyPressEvent(QKeyEvent* event)
{
    if (event->text().isEmpty()) {
        QDialog::keyPressEvent(event);
        return;
    }
    event->accept();
    accept();
}

} // namespace glint
