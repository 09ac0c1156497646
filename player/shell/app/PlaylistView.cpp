#include "PlaylistView.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QSortFilterProxyModel>
#include <algorithm>

#include "Desktop.h"
#include "PlaylistModel.h"

PlaylistView::PlaylistView(QWidget* parent) : QTableView(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setDragDropOverwriteMode(false);
    setShowGrid(false);
    setWordWrap(false);
    setAlternatingRowColors(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Rows of one height, never measured: ten thousand of them show at once.
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid() && onPlay) onPlay(listRowOf(index.row()));
    });
}

void PlaylistView::setFilterModel(QSortFilterProxyModel* filter)
{
    filter_ = filter;
    setModel(filter);
    QHeaderView& header = *horizontalHeader();
    header.setSectionResizeMode(PlaylistModel::titleColumn, QHeaderView::Stretch);
    header.setSectionResizeMode(PlaylistModel::artistColumn, QHeaderView::Interactive);
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    header.resizeSection(PlaylistModel::numberColumn, digit * 6);
    header.resizeSection(PlaylistModel::artistColumn, digit * 16);
    header.resizeSection(PlaylistModel::lengthColumn, digit * 8);
}

std::vector<int> PlaylistView::selectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) rows.push_back(listRowOf(index.row()));
    std::sort(rows.begin(), rows.end());
    return rows;
}

int PlaylistView::listRowOf(int shownRow) const
{
    if (shownRow >= filter_->rowCount()) return filter_->sourceModel()->rowCount();
    return filter_->mapToSource(filter_->index(shownRow, 0)).row();
}

void PlaylistView::showListRow(int row)
{
    const QModelIndex shown = filter_->mapFromSource(filter_->sourceModel()->index(row, 0));
    if (shown.isValid()) scrollTo(shown, QAbstractItemView::EnsureVisible);
}

std::vector<int> PlaylistView::rowsInView() const
{
    std::vector<int> rows;
    const int first = rowAt(0);
    if (first < 0) return rows;
    int last = rowAt(viewport()->height() - 1);
    if (last < 0) last = filter_->rowCount() - 1;
    for (int shown = first; shown <= last; ++shown) rows.push_back(listRowOf(shown));
    return rows;
}

void PlaylistView::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::NoModifier) {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (currentIndex().isValid() && onPlay) onPlay(listRowOf(currentIndex().row()));
            return;
        case Qt::Key_Delete:
            if (onRemove && selectionModel()->hasSelection()) onRemove(selectedRows());
            return;
        default:
            break;
        }
    }
    // Letters, digits and the like typed on the list go to the filter.
    const QString text = event->text();
    if (!(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) && !text.isEmpty() &&
        text.front().isPrint() && onType) {
        onType(text);
        return;
    }
    QTableView::keyPressEvent(event);
}

void PlaylistView::dropEvent(QDropEvent* event)
{
    // The list's own rows move as the model takes them; anything else is
    // files and folders, inserted where dropped and never taken from where
    // they came (a file manager deletes what was "moved").
    if (event->source() == this || event->mimeData()->hasFormat(QString::fromLatin1(PlaylistModel::entriesMimeType))) {
        QTableView::dropEvent(event);
        return;
    }
    const std::vector<std::string> paths = droppedPaths(*event->mimeData());
    if (paths.empty() || !onInsert) {
        event->ignore();
        return;
    }
    const QPoint at = event->position().toPoint();
    const int shown = rowAt(at.y());
    int before = filter_->rowCount();
    if (shown >= 0) before = at.y() < visualRect(filter_->index(shown, 0)).center().y() ? shown : shown + 1;
    // Past the last entry shown is the end of the list as the engine has it
    // then, whatever came since this list was shown.
    onInsert(paths, before == filter_->rowCount() ? -1 : listRowOf(before));
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // The base class's drag state (its indicator, its auto-scroll) ends as after its own drops.
    stopAutoScroll();
    setState(QAbstractItemView::NoState);
    viewport()->update();
}
