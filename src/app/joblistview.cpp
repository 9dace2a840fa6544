#include "app/joblistview.h"

#include "jobs/joblist.h"

#include <QApplication>
#include <QDropEvent>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMimeData>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <QUrl>

namespace audrel {

namespace {

// The source and destination columns come first on every list.
constexpr int kPathColumns = 2;

} // namespace

QString ElidePath(const QString& path, const QFontMetricsF& metrics, qreal width)
{
    if (metrics.horizontalAdvance(path) <= width) return path;
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    const QString name = path.mid(slash + 1);
    if (slash >= 0) {
        // The folder keeps its start and its last folder ("/home/me/Mu…/Album/"),
        // or with less room the end of its last folder ("…bum/").
        const QString folder = path.left(slash + 1);
        const int parentEnd = qMax(0, int(folder.lastIndexOf(QLatin1Char('/'), slash - 1)));
        const QString parent = folder.left(parentEnd);
        const QString last = folder.mid(parentEnd);
        // Texts measured together can be a little wider than their parts.
        for (qreal room = width - metrics.horizontalAdvance(name); room > 0; room -= 2) {
            const qreal headRoom = room - metrics.horizontalAdvance(last);
            // A start shorter than the path's first folder ("/t…") says less
            // than the end of the last folder would.
            QString head = metrics.elidedText(parent, Qt::ElideRight, headRoom);
            const int firstFolder = int(parent.indexOf(QLatin1Char('/'), 1)) + 1;
            if (head != parent && (firstFolder <= 0 || head.size() - 1 < firstFolder)) head.clear();
            const QString folderPart = head.isEmpty() ? metrics.elidedText(folder, Qt::ElideLeft, room)
                                                      : head + last;
            if (folderPart.isEmpty()) break;
            const QString shown = folderPart + name;
            if (metrics.horizontalAdvance(shown) <= width) return shown;
        }
    }
    return metrics.elidedText(name, Qt::ElideMiddle, width);
}

// Paints a path cell with its path shortened by ElidePath, and shows the full
// path as the cell's tooltip.
class PathDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The cell's option as painted, its text shortened to the room for it.
    QStyleOptionViewItem shownOption(const QStyleOptionViewItem& option, const QModelIndex& index) const
    {
        QStyleOptionViewItem shown(option);
        initStyleOption(&shown, index);
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        // The style keeps this margin on each side of an item's text.
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &shown, widget);
        shown.text = ElidePath(shown.text, QFontMetricsF(shown.font), text.width() - 2 * margin);
        return shown;
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QStyleOptionViewItem shown = shownOption(option, index);
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &shown, painter, widget);
    }

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override
    {
        if (event->type() != QEvent::ToolTip || !index.isValid())
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        QToolTip::showText(event->globalPos(), index.data(Qt::DisplayRole).toString(), view,
                           view->visualRect(index));
        return true;
    }
};

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
    m_paths = new PathDelegate(this);
    for (int i = 0; i < kPathColumns; ++i)
        setItemDelegateForColumn(i, m_paths);

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

QString JobListView::shownText(const QModelIndex& index) const
{
    if (index.column() >= kPathColumns) return index.data(Qt::DisplayRole).toString();
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    return m_paths->shownOption(option, index).text;
}

bool JobListView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Resize) fitPathColumns();
    return QTreeView::viewportEvent(event);
}

void JobListView::fitPathColumns()
{
    const auto& columns = m_list->columns();
    int taken = 0;
    for (int i = 0; i < columns.size(); ++i)
        taken += i < kPathColumns ? columns[i].width : columnWidth(i);
    const int spare = qMax(0, viewport()->width() - taken);
    for (int i = 0; i < kPathColumns; ++i)
        setColumnWidth(i, columns[i].width + spare / kPathColumns + (i == 0 ? spare % kPathColumns : 0));
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
