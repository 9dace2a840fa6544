#include "jobs/joblist.h"

#include "jobs/playlists.h"

#include <algorithm>

namespace audrel {

JobList::JobList(JobKind kind, QList<JobColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), m_kind(kind), m_columns(std::move(columns)),
      m_selection(new QItemSelectionModel(this, this))
{
    connect(m_selection, &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                accountSelection(deselected, false);
                accountSelection(selected, true);
            });
}

JobList::~JobList() = default;

int JobList::appendRow(std::unique_ptr<TJobRec> record, const QStringList& subItems)
{
    const int row = count();
    record->Checked = true;
    const uint32_t seconds = record->Seconds;
    Row entry;
    entry.texts.reserve(m_columns.size());
    entry.texts << record->Source << subItems;
    while (entry.texts.size() < m_columns.size())
        entry.texts << QString();
    m_sources[SourceKey(record->Source)] += 1;
    entry.record = std::move(record);

    m_counters.TotalCount += 1;
    m_counters.TotalSeconds += seconds;
    m_counters.CheckedCount += 1;
    m_counters.CheckedSeconds += seconds;

    beginInsertRows({}, row, row);
    m_rows.push_back(std::move(entry));
    endInsertRows();
    if (!m_adding) emit countersChanged();
    return row;
}

bool JobList::IsNewSource(const QString& path) const
{
    return !m_sources.contains(SourceKey(path));
}

QString JobList::itemText(int row, int column) const
{
    const QStringList& texts = m_rows[size_t(row)].texts;
    return column < texts.size() ? texts[column] : QString();
}

void JobList::setItemText(int row, int column, const QString& text)
{
    QStringList& texts = m_rows[size_t(row)].texts;
    if (column < 0 || column >= texts.size() || texts[column] == text) return;
    texts[column] = text;
    const QModelIndex at = index(row, column);
    emit dataChanged(at, at, {Qt::DisplayRole});
    accountCheckChange(row, false);
}

void JobList::setItemChecked(int row, bool checked)
{
    Row& entry = m_rows[size_t(row)];
    if (entry.checked == checked) return;
    entry.checked = checked;
    const QModelIndex at = index(row, 0);
    emit dataChanged(at, at, {Qt::CheckStateRole});
    accountCheckChange(row, true);
}

// Keeps CheckedCount and CheckedSeconds in step with the check boxes. A change
// while the list is being filled is not counted: the adding code counts itself.
void JobList::accountCheckChange(int row, bool stateChanged)
{
    if (m_adding || m_rows.empty()) return;
    Row& entry = m_rows[size_t(row)];
    TJobRec& rec = *entry.record;
    if (stateChanged && entry.checked != rec.Checked) {
        if (entry.checked) {
            m_counters.CheckedCount += 1;
            m_counters.CheckedSeconds += rec.Seconds;
        } else {
            m_counters.CheckedCount -= 1;
            m_counters.CheckedSeconds -= rec.Seconds;
        }
        emit countersChanged();
    }
    rec.Checked = entry.checked;
}

void JobList::setAdding(bool adding)
{
    if (m_adding == adding) return;
    m_adding = adding;
    if (adding) return;
    JobCounters recount = m_counters;
    recount.CheckedCount = 0;
    recount.CheckedSeconds = 0;
    for (Row& entry : m_rows) {
        entry.record->Checked = entry.checked;
        if (entry.checked) {
            recount.CheckedCount += 1;
            recount.CheckedSeconds += entry.record->Seconds;
        }
    }
    if (!(recount == m_counters)) {
        m_counters = recount;
        emit countersChanged();
    }
}

QList<int> JobList::selectedRows() const
{
    QList<int> rows;
    for (int i = 0; i < count(); ++i)
        if (m_rows[size_t(i)].selected) rows << i;
    return rows;
}

void JobList::setSelected(int row, bool selected)
{
    m_selection->select(index(row, 0),
                        (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                            QItemSelectionModel::Rows);
}

void JobList::accountSelection(const QItemSelection& range, bool selected)
{
    bool changed = false;
    for (const QItemSelectionRange& part : range) {
        if (!part.isValid() || part.model() != this) continue;
        for (int row = part.top(); row <= part.bottom() && row < count(); ++row) {
            Row& entry = m_rows[size_t(row)];
            if (entry.selected == selected) continue; // another column of a row already counted
            entry.selected = selected;
            const int sign = selected ? 1 : -1;
            m_counters.SelectedCount += sign;
            m_counters.SelectedSeconds += selected ? entry.record->Seconds : -uint64_t(entry.record->Seconds);
            changed = true;
        }
    }
    if (changed) emit countersChanged();
}

void JobList::accountDeletion(int row)
{
    const TJobRec& rec = record(row);
    m_counters.TotalCount -= 1;
    m_counters.TotalSeconds -= rec.Seconds;
    if (rec.Checked) {
        m_counters.CheckedCount -= 1;
        m_counters.CheckedSeconds -= rec.Seconds;
    }
    emit countersChanged();
}

void JobList::removeRowsAt(QList<int> rows)
{
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    while (!rows.isEmpty() && rows.front() >= count())
        rows.removeFirst();
    while (!rows.isEmpty() && rows.back() < 0)
        rows.removeLast();
    // A removed row is reported deselected first, then counted out.
    QItemSelection leaving;
    for (int row : rows)
        if (m_rows[size_t(row)].selected) leaving.select(index(row, 0), index(row, columnCount() - 1));
    m_selection->select(leaving, QItemSelectionModel::Deselect);
    for (int row : rows) {
        accountDeletion(row);
        const QString folded = SourceKey(record(row).Source);
        if (--m_sources[folded] == 0) m_sources.remove(folded);
    }
    // Remove runs of adjacent rows together, last run first.
    for (qsizetype i = 0; i < rows.size();) {
        const int last = rows[i];
        int first = last;
        while (++i < rows.size() && rows[i] == first - 1)
            first = rows[i];
        beginRemoveRows({}, first, last);
        m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
        endRemoveRows();
    }
}

void JobList::clear()
{
    QList<int> all;
    all.reserve(count());
    for (int i = count() - 1; i >= 0; --i)
        all << i;
    removeRowsAt(all);
}

int JobList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

int JobList::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant JobList::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= count()) return {};
    switch (role) {
    case Qt::DisplayRole:
        return itemText(index.row(), index.column());
    case Qt::CheckStateRole:
        if (index.column() == 0) return isItemChecked(index.row()) ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(m_columns[index.column()].alignment);
    default:
        return {};
    }
}

bool JobList::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole) return false;
    setItemChecked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

Qt::ItemFlags JobList::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0) flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant JobList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size()) return {};
    if (role == Qt::DisplayRole) return m_columns[section].title;
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(m_columns[section].alignment);
    return {};
}

} // namespace audrel
