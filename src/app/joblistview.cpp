#include "app/joblistview.h"

#include "jobs/joblist.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

namespace audrel {

JobListView::JobListView(JobList* list, bool keepSelectionVisible, QWidget* parent)
    : QTreeView(parent), m_list(list)
{
    setModel(list);
    QItemSelectionModel* own = selectionModel();
    setSelectionModel(list->selectionModel());
    delete own;

    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true); // keeps long lists fast
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setContextMenuPolicy(Qt::CustomContextMenu);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);

    const auto& columns = list->columns();
    for (int i = 0; i < columns.size(); ++i)
        setColumnWidth(i, columns[i].width);

    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);

    if (!keepSelectionVisible) {
        QPalette p = palette();
        p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Inactive, QPalette::Base));
        p.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   p.color(QPalette::Inactive, QPalette::Text));
        setPalette(p);
    }
}

// Space toggles the check box of the focused row, whichever column has the focus.
void JobListView::keyPressEvent(QKeyEvent* event)
{
    const QModelIndex current = currentIndex();
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && current.isValid()) {
        m_list->setItemChecked(current.row(), !m_list->isItemChecked(current.row()));
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void JobListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeView::mouseDoubleClickEvent(event);
    emit OnDblClick();
}

namespace {

QStringList localFiles(const QMimeData* mime)
{
    QStringList paths;
    if (mime && mime->hasUrls())
        for (const QUrl& url : mime->urls())
            if (url.isLocalFile()) paths << url.toLocalFile();
    return paths;
}

} // namespace

void JobListView::dragEnterEvent(QDragEnterEvent* event)
{
    if (localFiles(event->mimeData()).isEmpty()) return event->ignore();
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void JobListView::dragMoveEvent(QDragMoveEvent* event)
{
    if (localFiles(event->mimeData()).isEmpty()) return event->ignore();
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void JobListView::dropEvent(QDropEvent* event)
{
    if (!takeDrop(event->mimeData())) return event->ignore();
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

bool JobListView::takeDrop(const QMimeData* mime)
{
    const QStringList paths = localFiles(mime);
    if (!paths.isEmpty()) emit filesDropped(paths);
    return !paths.isEmpty();
}

} // namespace audrel
