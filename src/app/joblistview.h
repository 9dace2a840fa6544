#pragma once
// A report-style view of one job list: check boxes, several whole rows
// selectable, nothing edited in place. The two path columns share the width
// the other columns leave, and a path too long for its cell is shortened in
// the middle of its folder, so the file name stays in sight.

#include <QTreeView>

class QFontMetricsF;
class QMimeData;

namespace audrel {

class JobList;
class PathDelegate;

class JobListView : public QTreeView
{
    Q_OBJECT

public:
    // keepSelectionVisible: whether the selection stays highlighted while the
    // view does not have the focus.
    JobListView(JobList* list, bool keepSelectionVisible, QWidget* parent = nullptr);

    JobList* list() const { return m_list; }

    // The text a cell shows at its present width: the path shortened as
    // painted, or the cell's own text. The model keeps the full text.
    QString shownText(const QModelIndex& index) const;

    // Takes the local files of a drop; false when it holds none.
    bool takeDrop(const QMimeData* mime);

signals:
    // Local files dropped on the list, full paths in the drop's order.
    void filesDropped(const QStringList& paths);
    // A double-click anywhere on the list, on a row or not.
    void OnDblClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    // Gives the path columns the room the other columns leave in the viewport,
    // never less than their own widths.
    void fitPathColumns();

    JobList* m_list;
    PathDelegate* m_paths;
};

// A path shortened to width: whole when it fits, else with the middle of its
// folder left out ("/home/me/Mu…/Album/song.wav", with less room
// "…bum/song.wav"), else the file name alone, shortened in its middle.
QString ElidePath(const QString& path, const QFontMetricsF& metrics, qreal width);

} // namespace audrel
