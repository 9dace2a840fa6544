#include "playertools.h"

#include "player/slider.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

namespace audrel::test {

void sendPointer(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button)
{
    const Qt::MouseButtons down =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, at, widget->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : button,
                      down, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void dragThumb(TSlider* slider, int dx, int dy)
{
    const QPoint grip = slider->ThumbRect().center();
    sendPointer(slider, QEvent::MouseButtonPress, grip);
    sendPointer(slider, QEvent::MouseMove, grip + QPoint(dx, -dy));
    sendPointer(slider, QEvent::MouseButtonRelease, grip + QPoint(dx, -dy));
}

void dragThumbTo(TSlider* slider, int position)
{
    const QPoint grip = slider->ThumbRect().center();
    const int step = position < slider->Position() ? -1 : 1;
    QPoint at = grip;
    sendPointer(slider, QEvent::MouseButtonPress, at);
    const auto notThere = [&] { return step > 0 ? slider->Position() < position : slider->Position() > position; };
    for (int moved = 0; notThere() && moved < slider->width(); ++moved) {
        at += QPoint(step, 0);
        sendPointer(slider, QEvent::MouseMove, at);
    }
    sendPointer(slider, QEvent::MouseButtonRelease, at);
}

namespace {

// Waits for the first sound after frame from, then for seconds more of the
// recording; how that stretch sounds (first is -1 when nothing came).
Hearing listenFor(MonitorRecording& recording, qsizetype from, double seconds)
{
    const qsizetype span = qsizetype(seconds * MonitorRecording::kRate);
    Hearing start;
    const bool came = QTest::qWaitFor(
        [&] {
            const QByteArray& data = recording.take(20);
            if (start.first < 0) start = listen(data, from);
            return start.first >= 0 && recording.frames() >= start.first + span;
        },
        30000);
    if (!came || span == 0) return start;
    return listen(recording.take(), start.first, span);
}

// Whether the recording falls silent for ms.
bool fallsSilent(MonitorRecording& recording, int ms)
{
    const qsizetype span = qsizetype(ms) * MonitorRecording::kRate / 1000;
    return QTest::qWaitFor(
        [&] {
            const QByteArray& data = recording.take(20);
            return recording.frames() > span && listen(data, recording.frames() - span).first < 0;
        },
        30000);
}

} // namespace

void listenToPlayer(const std::function<void()>& stop, const std::function<void()>& next,
                    const std::function<bool()>& done)
{
    constexpr qsizetype kMs = MonitorRecording::kRate / 1000;
    MonitorRecording recording;
    QVERIFY(recording.start());
    // From half a second into what is heard on: the stream's start is left
    // out (what the stream before it left in the sink may come first).
    const Hearing start = listenFor(recording, 0, 3.5);
    QVERIFY2(start.first >= 0, "nothing was heard");
    const Hearing song = listen(recording.take(), start.first + 500 * kMs, 3000 * kMs);
    QVERIFY(song.heard >= 3000 * kMs - 2 * kMs);
    QVERIFY2(song.longestGap <= 2 * kMs, qPrintable(QString::number(song.longestGap)));

    const QList<QMap<QString, QString>> streams = soundServerStreams();
    QVERIFY(!streams.isEmpty());
    for (const QMap<QString, QString>& stream : streams) {
        QCOMPARE(stream.value("application.name"), "Audrel");
        QCOMPARE(stream.value("application.icon_name"), "audrel");
    }

    stop();
    QVERIFY(fallsSilent(recording, 300));
    const qsizetype before = recording.frames();
    next();
    QVERIFY2(listenFor(recording, before, 0).first >= 0, "nothing was heard");
    QVERIFY(fallsSilent(recording, 300));
    QVERIFY(QTest::qWaitFor(done, 20000));
    const Hearing blip = listen(recording.take(), before);
    QVERIFY2(blip.heard >= 45 * kMs && blip.heard <= 100 * kMs, qPrintable(QString::number(blip.heard)));
}

} // namespace audrel::test
