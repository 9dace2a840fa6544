#pragma once
// A report-style view of one job list: check boxes, several whole rows
// selectable, nothing edited in place.

#include <QTreeView>

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

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    JobList* m_list;
};

} // namespace audrel
