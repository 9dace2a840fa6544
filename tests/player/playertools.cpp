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

} // namespace audrel::test
