#pragma once

#include <QTableView>
#include <functional>
#include <string>
#include <vector>

class QSortFilterProxyModel;

// The playlist's table: the rows of a filter over the PlaylistModel, the
// keys and the drops of files. It tells in the model's rows (the entries'
// indices in the engine's list), whatever the filter hides.
class PlaylistView : public QTableView {
public:
    explicit PlaylistView(QWidget* parent = nullptr);

    void setFilterModel(QSortFilterProxyModel* filter);

    // Enter or a double click: the entry at row is to play.
    std::function<void(int row)> onPlay;
    // Delete: the selected entries, in list order.
    std::function<void(const std::vector<int>& rows)> onRemove;
    // Files and folders dropped, to go before the entry at row before (-1:
    // at the end).
    std::function<void(const std::vector<std::string>& paths, int before)> onInsert;
    // Text typed on the list, for the filter.
    std::function<void(const QString& text)> onType;

    // The selected entries, in list order.
    std::vector<int> selectedRows() const;
    // The model row of the entry shown at the view's row (the list's end
    // past the last one shown).
    int listRowOf(int shownRow) const;
    // Brings the entry at the model's row into view and makes it current.
    void showListRow(int row);
    // The model rows of the entries in view.
    std::vector<int> rowsInView() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QSortFilterProxyModel* filter_ = nullptr;
};
