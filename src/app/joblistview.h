#pragma once
// A report-style view of one job list: check boxes, several whole rows
// selectable, nothing edited in place.

#include <QTreeView>

class QMimeData;

namespace audrel {

class JobList;

class JobListView : public QTreeView
{
    Q_OBJECT

public:
    // keepSelectionVisible: whether the selection stays highlighted while the
    // view does not have the focus.
    JobListView(JobList* list, bool keepSelectionVisible, QWidget* parent = nullptr);

    JobList* list() const { return m_list; }

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

private:
    JobList* m_list;
};

} // namespace audrel
