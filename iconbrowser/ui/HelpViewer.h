#pragma once

#include "HelpSource.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;

namespace glint {

class Prompts;

// The help viewer: a contents page listing every topic, a search page that
// finds topics by the words typed, and the chosen topic's text beside them.
// It reads the help file afresh each time it is opened and reports a file it
// cannot read itself.
class HelpViewer final : public QDialog {
    Q_OBJECT
public:
    HelpViewer(QWidget* parent, Prompts& prompts);

    // Open on the file at `path`: the contents page, or the search page with
    // `key` typed. False, after telling the user, when the file is unreadable.
    bool showContents(const QString& path);
    bool showSearch(const QString& path, const QString& key);

    const help::HelpSource& source() const { return source_; }
    // The title of the topic shown, empty when none.
    QString shownTitle() const;

private:
    bool load(const QString& path);
    void search(const QString& key);
    void showTopic(std::size_t index);

    Prompts& prompts_;
    help::HelpSource source_;
    QTabWidget* pages_;
    QListWidget* contents_;
    QLineEdit* searchKey_;
    QListWidget* found_;
    QTextBrowser* text_;
    QString shownTitle_;
};

} // namespace glint
