#include "HelpViewer.h"

#include "HelpFile.h"
#include "Prompts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace glint {

namespace {

constexpr int topicRole = Qt::UserRole;

QString html(const help::HelpTopic& topic)
{
    QString body = QStringLiteral("<h3>%1</h3>").arg(QString::fromStdString(topic.title).toHtmlEscaped());
    for (const QString& paragraph : QString::fromStdString(topic.text).split(QStringLiteral("\n\n")))
        body += QStringLiteral("<p>%1</p>").arg(paragraph.toHtmlEscaped());
    return body;
}

} // namespace

HelpViewer::HelpViewer(QWidget* parent, Prompts& prompts)
    : QDialog(parent), prompts_(prompts), pages_(new QTabWidget), contents_(new QListWidget), searchKey_(new QLineEdit),
      found_(new QListWidget), text_(new QTextBrowser)
{
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(QStringLiteral("Glint Gatherer Help"));
    contents_->setObjectName(QStringLiteral("contents"));
    searchKey_->setObjectName(QStringLiteral("searchKey"));
    found_->setObjectName(QStringLiteral("found"));
    text_->setObjectName(QStringLiteral("topicText"));

    auto* searchPage = new QWidget;
    auto* searchLayout = new QVBoxLayout(searchPage);
    searchLayout->addWidget(new QLabel(QStringLiteral("&Type the words to find:")));
    searchLayout->addWidget(searchKey_);
    searchLayout->addWidget(found_);
    qobject_cast<QLabel*>(searchLayout->itemAt(0)->widget())->setBuddy(searchKey_);
    pages_->addTab(contents_, QStringLiteral("&Contents"));
    pages_->addTab(searchPage, QStringLiteral("&Search"));

    auto* splitter = new QSplitter;
    splitter->addWidget(pages_);
    splitter->addWidget(text_);
    splitter->setSizes({220, 420});
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(splitter);
    resize(640, 420);

    const auto pick = [this](QListWidgetItem* item) {
        if (item) showTopic(item->data(topicRole).toULongLong());
    };
    connect(contents_, &QListWidget::currentItemChanged, this, pick);
    connect(found_, &QListWidget::currentItemChanged, this, pick);
    connect(searchKey_, &QLineEdit::textChanged, this, &HelpViewer::search);
}

bool HelpViewer::showContents(const QString& path)
{
    if (!load(path)) return false;
    pages_->setCurrentIndex(0);
    if (!source_.topics.empty()) contents_->setCurrentRow(0);
    show();
    raise();
    activateWindow();
    return true;
}

bool HelpViewer::showSearch(const QString& path, const QString& key)
{
    if (!load(path)) return false;
    pages_->setCurrentIndex(1);
    searchKey_->setText(key);
    search(key);
    show();
    raise();
    activateWindow();
    searchKey_->setFocus();
    return true;
}

QString HelpViewer::shownTitle() const
{
    return shownTitle_;
}

bool HelpViewer::load(const QString& path)
{
    source_ = readHelpFile(path);
    contents_->clear();
    found_->clear();
    text_->clear();
    shownTitle_.clear();
    if (source_.topics.empty()) {
        const QString why =
            source_.error.empty() ? QStringLiteral("it holds no topics") : QString::fromStdString(source_.error);
        prompts_.message(parentWidget(), QMessageBox::Warning, windowTitle(),
                         QStringLiteral("Cannot open the help file \"%1\": %2.").arg(path, why));
        return false;
    }
    for (std::size_t i = 0; i < source_.topics.size(); ++i) {
        auto* item = new QListWidgetItem(QString::fromStdString(source_.topics[i].title), contents_);
        item->setData(topicRole, static_cast<qulonglong>(i));
    }
    return true;
}

void HelpViewer::search(const QString& key)
{
    found_->clear();
    for (const std::size_t i : help::findTopics(source_, key.toStdString())) {
        auto* item = new QListWidgetItem(QString::fromStdString(source_.topics[i].title), found_);
        item->setData(topicRole, static_cast<qulonglong>(i));
    }
}

void HelpViewer::showTopic(std::size_t index)
{
    if (index >= source_.topics.size()) return;
    shownTitle_ = QString::fromStdString(source_.topics[index].title);
    text_->setHtml(html(source_.topics[index]));
}

} // namespace glint
