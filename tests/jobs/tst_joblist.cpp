#include "tst_joblist.h"
#include "testmain.h"

#include "jobs/counttext.h"
#include "convert/directions.h"
#include "jobs/joblist.h"

#include <QSignalSpy>
#include <QTest>

using namespace audrel;

namespace {

int addRow(JobList& list, uint32_t seconds, const QString& source = {})
{
    auto rec = std::make_unique<TWavRec>();
    rec->Source = source.isEmpty() ? QStringLiteral("/music/%1.wav").arg(list.count()) : source;
    rec->Dest = rec->Source + ".mp3";
    rec->Seconds = seconds;
    return list.appendRow(std::move(rec), {"/out/x.mp3", "", FormatSeconds(seconds), "1.00MB"});
}

JobCounters counters(int total, uint64_t totalSec, int checked, uint64_t checkedSec, int selected,
                     uint64_t selectedSec)
{
    return JobCounters{total, checked, selected, totalSec, checkedSec, selectedSec};
}

} // namespace

void TestJobList::formatSecondsAndCountText()
{
    QCOMPARE(FormatSeconds(0), QString("00:00:00"));
    QCOMPARE(FormatSeconds(245), QString("00:04:05"));
    QCOMPARE(FormatSeconds(65535), QString("18:12:15"));
    QCOMPARE(FormatSeconds(65536), QString("18:12:16")); // no wrap
    QCOMPARE(FormatSeconds(360000), QString("100:00:00"));
    QCOMPARE(CountText(3, 245), QString("3 File(s)   00:04:05"));
    QCOMPARE(CountText(3, 245, CountSpacing::BulkAdd), QString("3 File(s)  00:04:05"));
}

void TestJobList::appendCountsTotalAndChecked()
{
    JobList list(JobKind::WavToMp3, DirectionOf(JobKind::WavToMp3).columns);
    QSignalSpy changes(&list, &JobList::countersChanged);
    QCOMPARE(addRow(list, 100), 0);
    QCOMPARE(addRow(list, 145), 1);
    QCOMPARE(list.counters(), counters(2, 245, 2, 245, 0, 0));
    QVERIFY(list.isItemChecked(1));
    QVERIFY(list.record(1).Checked);
    QCOMPARE(list.record(1).State, JobState::Pending);
    QCOMPARE(changes.size(), 2); // once per row

    // While adding, the window writes the panels itself at the end.
    changes.clear();
    list.setAdding(true);
    addRow(list, 5);
    list.setAdding(false);
    QCOMPARE(changes.size(), 0);
    QCOMPARE(list.counters(), counters(3, 250, 3, 250, 0, 0));
}

void TestJobList::checkAccounting()
{
    JobList list(JobKind::Mp3ToWav, DirectionOf(JobKind::Mp3ToWav).columns);
    addRow(list, 60);
    addRow(list, 30);
    QSignalSpy changes(&list, &JobList::countersChanged);

    list.setItemChecked(0, false);
    QCOMPARE(list.counters(), counters(2, 90, 1, 30, 0, 0));
    QVERIFY(!list.record(0).Checked);
    QCOMPARE(changes.size(), 1);
    changes.clear();

    // The same state again changes nothing.
    list.setItemChecked(0, false);
    QCOMPARE(list.counters(), counters(2, 90, 1, 30, 0, 0));
    QCOMPARE(changes.size(), 0);

    // Through the model, as a click on the check box does.
    QVERIFY(list.setData(list.index(0, 0), Qt::Checked, Qt::CheckStateRole));
    QCOMPARE(list.counters(), counters(2, 90, 2, 90, 0, 0));
    QVERIFY(list.record(0).Checked);
    QVERIFY(!list.setData(list.index(0, 1), Qt::Unchecked, Qt::CheckStateRole));
    QVERIFY(!list.setData(list.index(0, 0), "text", Qt::DisplayRole));
}

void TestJobList::addingMutesCheckAccounting()
{
    JobList list(JobKind::WmaToWav, DirectionOf(JobKind::WmaToWav).columns);
    addRow(list, 10);
    addRow(list, 20);
    QSignalSpy changes(&list, &JobList::countersChanged);
    list.setAdding(true);
    list.setItemChecked(0, false); // a click while an add pumps events
    QCOMPARE(list.counters().CheckedCount, 2);
    QVERIFY(list.record(0).Checked); // not taken into account yet
    QCOMPARE(changes.size(), 0);
    // The end of the add takes the counters from the check boxes again.
    list.setAdding(false);
    QCOMPARE(list.counters(), counters(2, 30, 1, 20, 0, 0));
    QVERIFY(!list.record(0).Checked);
    QCOMPARE(changes.size(), 1);
    list.setItemChecked(0, true);
    QCOMPARE(list.counters(), counters(2, 30, 2, 30, 0, 0));
    // Clearing the flag with nothing changed says nothing.
    changes.clear();
    list.setAdding(true);
    list.setAdding(false);
    QCOMPARE(changes.size(), 0);
}

void TestJobList::selectionAccounting()
{
    JobList list(JobKind::WavToWma, DirectionOf(JobKind::WavToWma).columns);
    addRow(list, 10);
    addRow(list, 20);
    addRow(list, 40);
    QSignalSpy changes(&list, &JobList::countersChanged);
    list.setSelected(0, true);
    list.setSelected(2, true);
    QCOMPARE(list.counters(), counters(3, 70, 3, 70, 2, 50));
    QCOMPARE(list.selectedRows(), (QList<int>{0, 2}));
    QCOMPARE(changes.size(), 2);
    list.setSelected(2, true); // already selected
    QCOMPARE(list.counters().SelectedSeconds, uint64_t(50));
    list.setSelected(0, false);
    QCOMPARE(list.counters(), counters(3, 70, 3, 70, 1, 40));
    // Selection works whole rows, whatever the column clicked.
    list.selectionModel()->select(list.index(1, 3), QItemSelectionModel::Select);
    QCOMPARE(list.counters(), counters(3, 70, 3, 70, 2, 60));
    // Not muted by a bulk add.
    list.setAdding(true);
    list.selectionModel()->clearSelection();
    QCOMPARE(list.counters().SelectedCount, 0);
    QCOMPARE(list.counters().SelectedSeconds, uint64_t(0));
}

void TestJobList::deletionAccounting()
{
    JobList list(JobKind::WavToMp3, DirectionOf(JobKind::WavToMp3).columns);
    for (uint32_t s : {1u, 2u, 4u, 8u, 16u})
        addRow(list, s, QStringLiteral("/m/%1.wav").arg(s));
    list.setItemChecked(1, false);
    list.setItemChecked(3, false);
    list.setSelected(3, true);
    list.setSelected(4, true);
    QCOMPARE(list.counters(), counters(5, 31, 3, 21, 2, 24));

    // An unchecked, selected row: total and selection fall, checked stays.
    list.removeRowsAt({3});
    QCOMPARE(list.counters(), counters(4, 23, 3, 21, 1, 16));
    // Several at once, unordered, with a duplicate and one out of range.
    list.removeRowsAt({3, 0, 3, 99, 1});
    QCOMPARE(list.counters(), counters(1, 4, 1, 4, 0, 0));
    QCOMPARE(list.count(), 1);
    QCOMPARE(list.record(0).Source, QString("/m/4.wav"));
    QCOMPARE(list.itemText(0, 0), QString("/m/4.wav"));
}

void TestJobList::clearLeavesZero()
{
    JobList list(JobKind::Mp3ToWav, DirectionOf(JobKind::Mp3ToWav).columns);
    for (int i = 0; i < 50; ++i)
        addRow(list, uint32_t(i * 7));
    for (int i = 0; i < 50; i += 3)
        list.setItemChecked(i, false);
    for (int i = 0; i < 50; i += 2)
        list.setSelected(i, true);
    list.clear();
    QCOMPARE(list.count(), 0);
    QCOMPARE(list.rowCount(), 0);
    QCOMPARE(list.counters(), JobCounters());
}

void TestJobList::sumsBeyondSixteenBits()
{
    // 300 four-minute songs: 72,000 seconds, more than 16 bits hold.
    JobList list(JobKind::Mp3ToWav, DirectionOf(JobKind::Mp3ToWav).columns);
    for (int i = 0; i < 300; ++i)
        addRow(list, 240);
    QCOMPARE(list.counters().TotalSeconds, uint64_t(72000));
    QCOMPARE(CountText(list.counters().TotalCount, list.counters().TotalSeconds),
             QString("300 File(s)   20:00:00"));
    // A single row longer than 18 hours keeps its length too.
    addRow(list, 100000);
    list.setSelected(300, true);
    QCOMPARE(list.counters().SelectedSeconds, uint64_t(100000));
    QCOMPARE(list.counters().CheckedSeconds, uint64_t(172000));
}

void TestJobList::modelShowsRows()
{
    JobList list(JobKind::Mp3ToWav, DirectionOf(JobKind::Mp3ToWav).columns);
    QCOMPARE(list.columnCount(), 9);
    QCOMPARE(list.headerData(7, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Year"));
    addRow(list, 5, "/a/b.mp3");
    QCOMPARE(list.data(list.index(0, 0), Qt::DisplayRole).toString(), QString("/a/b.mp3"));
    QCOMPARE(list.data(list.index(0, 3), Qt::DisplayRole).toString(), QString("00:00:05"));
    QCOMPARE(list.data(list.index(0, 8), Qt::DisplayRole).toString(), QString()); // padded sub-items
    QCOMPARE(list.data(list.index(0, 0), Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    QVERIFY(!list.data(list.index(0, 1), Qt::CheckStateRole).isValid());
    QVERIFY(list.flags(list.index(0, 0)) & Qt::ItemIsUserCheckable);
    QVERIFY(!(list.flags(list.index(0, 0)) & Qt::ItemIsEditable));
    QCOMPARE(list.data(list.index(0, 3), Qt::TextAlignmentRole).value<Qt::Alignment>() &
                 Qt::AlignHorizontal_Mask,
             Qt::AlignRight);
}

AUDREL_CORE_TEST_MAIN(TestJobList)
