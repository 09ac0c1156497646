#include "PlaylistWindow.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

#include "FileDialogs.h"
#include "M3uWriter.h"
#include "PlaybackRequests.h"
#include "PlaylistView.h"
#include "ShellTexts.h"
#include "UserMessages.h"

namespace {

const QSize defaultSize(420, 360);

} // namespace

void PlaylistWindow::EntryFilter::setText(const QString& text)
{
    text_ = text;
    invalidateFilter();
}

bool PlaylistWindow::EntryFilter::filterAcceptsRow(int row, const QModelIndex&) const
{
    if (text_.isEmpty()) return true;
    const auto& model = static_cast<const PlaylistModel&>(*sourceModel());
    return model.titleAt(row).contains(text_, Qt::CaseInsensitive) ||
           QString::fromStdString(model.factsAt(row).artist).contains(text_, Qt::CaseInsensitive);
}

PlaylistWindow::PlaylistWindow(QWidget& face, PlaybackRequests& player, ToolWindowPlace place, UserMessages& messages,
                               FileDialogs& dialogs, SongFactsReader::Read read)
    : FaceToolWindow(face, std::move(place), QString::fromLatin1(shelltext::playlistWindowTitle), defaultSize),
      player_(player), messages_(messages), dialogs_(dialogs)
{
    filter_.setSourceModel(&model_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    filterField_ = new QLineEdit(this);
    filterField_->setPlaceholderText(QStringLiteral("Filter"));
    filterField_->setClearButtonEnabled(true);
    filterField_->installEventFilter(this);
    layout->addWidget(filterField_);
    view_ = new PlaylistView(this);
    view_->setFilterModel(&filter_);
    layout->addWidget(view_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    saveButton_ = new QPushButton(QString::fromLatin1(shelltext::saveListButton), this);
    buttons->addWidget(saveButton_);
    layout->addLayout(buttons);

    connect(filterField_, &QLineEdit::textChanged, this, [this](const QString& text) {
        filter_.setText(text);
        wantRowsInView();
    });
    connect(saveButton_, &QPushButton::clicked, this, &PlaylistWindow::saveList);
    connect(view_->verticalScrollBar(), &QScrollBar::valueChanged, this, &PlaylistWindow::wantRowsInView);
    view_->onPlay = [this](int row) { play(row); };
    view_->onRemove = [this](const std::vector<int>& rows) { remove(rows); };
    view_->onInsert = [this](const std::vector<std::string>& paths, int before) { insert(paths, before); };
    view_->onType = [this](const QString& text) {
        filterField_->setFocus();
        filterField_->insert(text);
    };
    model_.onMove = [this](const std::vector<int>& rows, int before) { move(rows, before); };

    // What was read is shown a batch at a time: often enough to be seen
    // filling in, seldom enough that ten thousand rows cost the window
    // thread a few dozen rounds of its views.
    factsShown_.setSingleShot(true);
    factsShown_.setInterval(factsBatchMilliseconds);
    connect(&factsShown_, &QTimer::timeout, this, &PlaylistWindow::takeFacts);
    reader_ = std::make_unique<SongFactsReader>(
        [this] {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (!factsShown_.isActive()) factsShown_.start();
                },
                Qt::QueuedConnection);
        },
        std::move(read));
}

PlaylistWindow::~PlaylistWindow()
{
    // The thread ends before what it reports to.
    reader_.reset();
}

void PlaylistWindow::endNow()
{
    reader_->stop();
    savePlace();
}

void PlaylistWindow::listChanged()
{
    listTold_ = true;
    scheduleRefresh();
}

void PlaylistWindow::heardChanged()
{
    scheduleRefresh();
}

void PlaylistWindow::scheduleRefresh()
{
    // Hidden, the list is looked at when it is shown.
    if (!isVisible() || refreshPosted_) return;
    refreshPosted_ = true;
    QTimer::singleShot(0, this, &PlaylistWindow::refresh);
}

void PlaylistWindow::refresh()
{
    refreshPosted_ = false;
    ListSnapshot snapshot = player_.listSnapshot();
    const int heard = snapshot.heardIndex;
    const bool justShown = showHeardNext_;
    if (snapshot.version != model_.version() || model_.rowCount() != static_cast<int>(snapshot.paths.size())) {
        model_.show(std::move(snapshot));
        reader_->want(model_.unread());
        if (!selectAfterMove_.empty()) {
            QItemSelection selection;
            for (const int row : selectAfterMove_) {
                const QModelIndex shown = filter_.mapFromSource(model_.index(row, 0));
                if (shown.isValid()) selection.select(shown, shown);
            }
            view_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            selectAfterMove_.clear();
        }
    } else {
        model_.showHeard(heard);
        // Hidden, it wanted nothing read: what is left is wanted again.
        if (justShown) reader_->want(model_.unread());
    }
    // The heard entry is brought into view when another is heard, not when
    // the listener edits the list elsewhere.
    const std::string heardPath = heard >= 0 ? model_.paths()[static_cast<std::size_t>(heard)] : std::string();
    if (heard >= 0 && (heardPath != heardPath_ || showHeardNext_)) view_->showListRow(heard);
    heardPath_ = heardPath;
    showHeardNext_ = false;
    wantRowsInView();
}

void PlaylistWindow::wantRowsInView()
{
    std::vector<std::string> paths;
    for (const int row : view_->rowsInView()) {
        const std::string& path = model_.paths()[static_cast<std::size_t>(row)];
        if (!model_.isRead(path)) paths.push_back(path);
    }
    if (!paths.empty()) reader_->wantFirst(paths);
}

void PlaylistWindow::takeFacts()
{
    model_.addFacts(reader_->take());
}

bool PlaylistWindow::mayEdit() const
{
    return listTold_ || !player_.isRunning();
}

void PlaylistWindow::play(int row)
{
    if (mayEdit() && row >= 0 && row < model_.rowCount()) player_.playEntry(row);
}

void PlaylistWindow::remove(const std::vector<int>& rows)
{
    if (mayEdit() && !rows.empty()) player_.removeEntries(rows);
}

void PlaylistWindow::move(const std::vector<int>& rows, int before)
{
    if (!mayEdit() || rows.empty()) return;
    // Where the moved entries stand once moved: together, before the
    // entry they were dropped on.
    const int above =
        static_cast<int>(std::count_if(rows.begin(), rows.end(), [before](int row) { return row < before; }));
    const int first = std::min(before, model_.rowCount()) - above;
    selectAfterMove_.clear();
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) selectAfterMove_.push_back(first + i);
    player_.moveEntries(rows, before);
}

void PlaylistWindow::insert(const std::vector<std::string>& paths, int before)
{
    if (mayEdit()) player_.insertPaths(before, paths);
}

void PlaylistWindow::saveList()
{
    const std::vector<std::string>& paths = model_.paths();
    const std::string start = paths.empty() ? std::string() : paths.front();
    const std::optional<std::string> chosen = dialogs_.chooseListToSave(this, start);
    if (!chosen) return;
    std::vector<m3uwriting::Entry> entries;
    entries.reserve(paths.size());
    for (int row = 0; row < model_.rowCount(); ++row) {
        const SongFacts facts = model_.factsAt(row);
        // The title is the list's own: without tags, none is written.
        entries.push_back({paths[static_cast<std::size_t>(row)], facts.seconds, facts.artist, facts.title});
    }
    const m3uwriting::Written written = m3uwriting::writeList(*chosen, entries);
    if (!written.written)
        messages_.ask(shelltext::errorCaption, written.text, MessageIcon::warning, MessageButtons::ok);
}

void PlaylistWindow::showEvent(QShowEvent* event)
{
    FaceToolWindow::showEvent(event);
    showHeardNext_ = true;
    scheduleRefresh();
}

void PlaylistWindow::hideEvent(QHideEvent* event)
{
    FaceToolWindow::hideEvent(event);
    // Nothing is read for a window no one sees.
    reader_->want({});
}

void PlaylistWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        filterField_->clear();
        view_->setFocus();
        return;
    }
    FaceToolWindow::keyPressEvent(event);
}

bool PlaylistWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == filterField_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Escape:
            filterField_->clear();
            view_->setFocus();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            // The entry chosen, else the first the filter shows.
            const QModelIndex current = view_->currentIndex();
            if (current.isValid() || filter_.rowCount() > 0)
                play(view_->listRowOf(current.isValid() ? current.row() : 0));
            return true;
        }
        case Qt::Key_Down:
        case Qt::Key_Up:
            view_->setFocus();
            QCoreApplication::sendEvent(view_, event);
            return true;
        default:
            break;
        }
    }
    return FaceToolWindow::eventFilter(watched, event);
}
