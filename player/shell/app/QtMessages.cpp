#include "QtMessages.h"

#include <QMessageBox>

namespace {

QMessageBox::Icon qtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::information:
        return QMessageBox::Information;
    case MessageIcon::warning:
        return QMessageBox::Warning;
    case MessageIcon::error:
        return QMessageBox::Critical;
    case MessageIcon::question:
        return QMessageBox::Question;
    case MessageIcon::none:
        break;
    }
    return QMessageBox::NoIcon;
}

// No is the default of a yes/no question: a stray Enter changes nothing.
void setButtons(QMessageBox& box, MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case MessageButtons::okCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case MessageButtons::yesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        break;
    case MessageButtons::yesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::No);
        break;
    }
}

void prepare(QMessageBox& box, const std::string& caption, const std::string& text, MessageIcon icon)
{
    box.setWindowTitle(QString::fromStdString(caption));
    box.setText(QString::fromStdString(text));
    box.setIcon(qtIcon(icon));
    // The player's window stays on top of others; its messages must not
    // hide behind it.
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
}

} // namespace

MessageAnswer QtMessages::ask(const std::string& caption, const std::string& text, MessageIcon icon,
                              MessageButtons buttons)
{
    QMessageBox box;
    prepare(box, caption, text, icon);
    setButtons(box, buttons);
    box.activateWindow();
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MessageAnswer::yes;
    case QMessageBox::No:
        return MessageAnswer::no;
    case QMessageBox::Cancel:
        return MessageAnswer::cancel;
    default:
        return MessageAnswer::ok;
    }
}

QtMessages::~QtMessages()
{
    for (const QPointer<QMessageBox>& box : posted_) delete box.data();
}

void QtMessages::post(const std::string& caption, const std::string& text, MessageIcon icon)
{
    QMetaObject::invokeMethod(
        this, [this, caption, text, icon] { show(caption, text, icon); }, Qt::QueuedConnection);
}

void QtMessages::show(const std::string& caption, const std::string& text, MessageIcon icon)
{
    auto* box = new QMessageBox;
    box->setAttribute(Qt::WA_DeleteOnClose);
    // A message box is modal unless told otherwise, and a modal box would
    // hold the player's window until it is answered. Set first: setting the
    // modality rebuilds the window flags, the topmost hint among them.
    box->setWindowModality(Qt::NonModal);
    prepare(*box, caption, text, icon);
    setButtons(*box, MessageButtons::ok);
    std::erase_if(posted_, [](const QPointer<QMessageBox>& open) { return open.isNull(); });
    posted_.emplace_back(box);
    box->show();
}
