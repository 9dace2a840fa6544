#pragma once
// One job list: its records, the texts and check states of its rows, its
// selection, and its six counters. It is the model a list view shows, so the
// records and the rows cannot drift apart: record i always describes row i.
// Qt Core only: the window shows it, the command line fills it the same way.

#include "jobs/jobrecords.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QItemSelectionModel>
#include <QList>
#include <QStringList>

#include <memory>
#include <vector>

namespace audrel {

// The job lists, one per conversion direction, in the order of their tabs:
// the four of the program's own kinds, and the list of every other audio
// file, converted to the format chosen on its tab.
enum class JobKind
{
    Mp3ToWav,
    WavToMp3,
    WmaToWav,
    WavToWma,
    AnyFormat
};
inline constexpr int kJobKindCount = 5;

struct JobColumn
{
    QString title;
    int width;
    Qt::Alignment alignment;
};

struct JobCounters
{
    int32_t TotalCount = 0;
    int32_t CheckedCount = 0;
    int32_t SelectedCount = 0;
    uint64_t TotalSeconds = 0;
    uint64_t CheckedSeconds = 0;
    uint64_t SelectedSeconds = 0;

    bool operator==(const JobCounters&) const = default;
};

class JobList : public QAbstractTableModel
{
    Q_OBJECT

public:
    // columns: the list's columns, the source path first.
    JobList(JobKind kind, QList<JobColumn> columns, QObject* parent = nullptr);
    ~JobList() override;

    JobKind kind() const { return m_kind; }
    const QList<JobColumn>& columns() const { return m_columns; }

    // Sub-item positions after the caption (the source path).
    // On the MP3 to WAV list the tag columns follow: title, artist, album, year.
    // On the Any Format list: size, format, title, artist.
    enum SubItem
    {
        SubDest = 0,
        SubStatus = 1,
        SubDuration = 2,
        SubTitle = 3
    };

    int count() const { return int(m_rows.size()); }
    TJobRec& record(int row) { return *m_rows[size_t(row)].record; }
    const TJobRec& record(int row) const { return *m_rows[size_t(row)].record; }
    template <class Rec> Rec& recordAs(int row) { return static_cast<Rec&>(record(row)); }

    // Appends a checked row for the record, its caption the record's Source and
    // its sub-items as given, and counts it in the total and checked counters.
    int appendRow(std::unique_ptr<TJobRec> record, const QStringList& subItems);

    // Whether no row has this source (compared as SourceKey does).
    bool IsNewSource(const QString& path) const;

    // Caption (column 0) and sub-items (column i + 1).
    QString itemText(int row, int column) const;
    void setItemText(int row, int column, const QString& text);
    QString subItem(int row, int index) const { return itemText(row, index + 1); }
    void setSubItem(int row, int index, const QString& text) { setItemText(row, index + 1, text); }

    // The check box of a row. Changing it runs the check accounting.
    bool isItemChecked(int row) const { return m_rows[size_t(row)].checked; }
    void setItemChecked(int row, bool checked);

    // The selection the views show; its changes run the selection accounting.
    QItemSelectionModel* selectionModel() const { return m_selection; }
    bool isSelected(int row) const { return m_rows[size_t(row)].selected; }
    QList<int> selectedRows() const;
    void setSelected(int row, bool selected);

    // Removes rows (any order, duplicates ignored) after deselecting them, with
    // the deletion accounting for each.
    void removeRowsAt(QList<int> rows);
    void clear();

    // Set while a bulk add fills the list: the check accounting is muted. When
    // it is cleared, the checked counters are taken again from the check boxes,
    // so a check changed while the add pumped events is not lost.
    bool Adding() const { return m_adding; }
    void setAdding(bool adding);

    const JobCounters& counters() const { return m_counters; }

    // QAbstractItemModel
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    // Some of the six counters have changed.
    void countersChanged();

private:
    struct Row
    {
        std::unique_ptr<TJobRec> record;
        QStringList texts; // caption, then the sub-items
        bool checked = true;
        bool selected = false;
    };

    void accountCheckChange(int row, bool stateChanged);
    void accountSelection(const QItemSelection& range, bool selected);
    void accountDeletion(int row);

    JobKind m_kind;
    QList<JobColumn> m_columns;
    std::vector<Row> m_rows;
    QHash<QString, int> m_sources; // source key -> number of rows with it
    QItemSelectionModel* m_selection;
    JobCounters m_counters;
    bool m_adding = false;
};

} // namespace audrel
