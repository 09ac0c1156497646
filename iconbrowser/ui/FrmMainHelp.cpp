// The help commands, What's This mode and the about window.
#include "FrmMain.h"

#include "DriveList.h"
#include "FileList.h"
#include "FolderList.h"
#include "HelpFile.h"
#include "HelpViewer.h"
#include "IconBox.h"
#include "Prompts.h"

#include <QDir>
#include <QWhatsThis>

namespace glint {

namespace {

const char* const topicProperty = "helpTopic";

} // namespace

// Each control carries its topic number; in What's This mode a click on it
// shows that topic's text.
void FrmMain::setHelpTopics()
{
    const std::pair<QWidget*, int> topics[] = {
        {drive1_, 50},    {dir1_, 60},      {file1_, 70},     {picture1_, 80},   {icopic_[0], 80},
        {picIcons_, 90},  {icopic_[1], 90}, {icopic_[2], 90}, {icopic_[3], 90},  {icopic_[4], 90},
        {icopic_[5], 90}, {icopic_[6], 90}, {icopic_[7], 90}, {picScroll_, 100},
    };
    const help::HelpSource source = readHelpFile(QDir(services_.helpFolder).filePath(helpFile_));
    for (const auto& [control, number] : topics) {
        control->setProperty(topicProperty, number);
        if (const help::HelpTopic* topic = source.topic(number))
            control->setWhatsThis(QString::fromStdString(topic->text));
    }
}

void FrmMain::showHelp(bool search)
{
    if (helpFile_.isEmpty()) {
        services_.prompts->message(
            this, QMessageBox::Information, windowTitle(),
            QStringLiteral("Unable to display Help Contents. There is no Help associated with this project."));
        return;
    }
    if (!helpViewer_) helpViewer_ = new HelpViewer(this, *services_.prompts);
    const QString path = QDir(services_.helpFolder).filePath(helpFile_);
    if (search)
        helpViewer_->showSearch(path, QString());
    else
        helpViewer_->showContents(path);
}

void FrmMain::mcontents_Click()
{
    showHelp(false);
}

void FrmMain::msearch_Click()
{
    showHelp(true);
}

void FrmMain::mwhatsthis_Click()
{
    QWhatsThis::enterWhatsThisMode();
}

void FrmMain::mabout_Click()
{
    FrmSplash splash(this, services_.openLink);
    splash.exec();
}

} // namespace glint
