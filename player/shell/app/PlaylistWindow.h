#pragma once

#include <QSortFilterProxyModel>
#include <QTimer>
#include <memory>
#include <vector>

#include "FaceToolWindow.h"
#include "PlaylistModel.h"
#include "SongFactsReader.h"

class FileDialogs;
class PlaybackRequests;
class PlaylistView;
class QLineEdit;
class QPushButton;
class UserMessages;

// The playlist window: the engine's list, one row an entry, beside the face.
// Double-click or Enter plays an entry, Delete removes the selected ones,
// dragging moves them (under a filter too: they go before the entry they are
// dropped on), files and folders dropped are inserted where dropped, typing
// filters the list by title and artist (Escape clears the filter), and
// "Save List..." writes it as M3U8. Every change is asked of the engine and
// shown once the engine tells it. Tags and lengths are read on a thread of
// their own, those in view first; while the window is hidden nothing is
// read or looked at.
class PlaylistWindow : public FaceToolWindow {
public:
    PlaylistWindow(QWidget& face, PlaybackRequests& player, ToolWindowPlace place, UserMessages& messages,
                   FileDialogs& dialogs, SongFactsReader::Read read = readSongFacts);
    ~PlaylistWindow() override;

    // The engine's list changed. Window thread; a burst is looked at once.
    void listChanged();
    // Another song is heard.
    void heardChanged();

    // Asks for a file and writes the list there.
    void saveList();
    // Ends the reading thread and saves a place that waits, for an end by
    // exit() (the display gone), which destroys no window.
    void endNow();

    PlaylistModel& model() { return model_; }
    QSortFilterProxyModel& filterModel() { return filter_; }
    PlaylistView& view() { return *view_; }
    QLineEdit& filterField() { return *filterField_; }
    SongFactsReader& reader() { return *reader_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The entries whose title or artist holds the text, in any case.
    class EntryFilter : public QSortFilterProxyModel {
    public:
        void setText(const QString& text);

    protected:
        bool filterAcceptsRow(int row, const QModelIndex& parent) const override;

    private:
        QString text_;
    };

    void scheduleRefresh();
    void refresh();
    void wantRowsInView();
    void takeFacts();
    // Edits made before the player thread has read its first list would go
    // to the list it replaces.
    bool mayEdit() const;
    void play(int row);
    void remove(const std::vector<int>& rows);
    void move(const std::vector<int>& rows, int before);
    void insert(const std::vector<std::string>& paths, int before);

    static constexpr int factsBatchMilliseconds = 40;
    QTimer factsShown_;
    PlaybackRequests& player_;
    UserMessages& messages_;
    FileDialogs& dialogs_;
    PlaylistModel model_;
    EntryFilter filter_;
    PlaylistView* view_;
    QLineEdit* filterField_;
    QPushButton* saveButton_;
    bool refreshPosted_ = false;
    bool listTold_ = false;
    // The entry last shown as heard, and whether it is brought into view
    // at the next look even so (the window just shown).
    std::string heardPath_;
    bool showHeardNext_ = true;
    // The rows to select once the list shows a move.
    std::vector<int> selectAfterMove_;
    std::unique_ptr<SongFactsReader> reader_;
};
