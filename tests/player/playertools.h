#pragma once
// Pointer events sent straight to a widget, for the tests of the seek bar and
// of the player windows, and the listening to what the windows play.

#include "audiotools.h"

#include <QEvent>
#include <QPoint>

class QWidget;

namespace audrel {
class TSlider;
}

namespace audrel::test {

void sendPointer(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton);
// Presses the thumb in its middle, moves it dx pixels right and dy up, and lets go.
void dragThumb(TSlider* slider, int dx, int dy = 0);
// Presses the thumb, moves it a pixel at a time until it shows position or
// just passed it (or as far as it goes), and lets go there.
void dragThumbTo(TSlider* slider, int position);

// Waits (generously: the private sound server delays some stream starts)
// for the first sound after frame from and then for seconds more of the
// recording; returns how that stretch sounds (first is -1 when nothing came).
Hearing listenFor(MonitorRecording& recording, qsizetype from, double seconds);
// Waits until the recording has been silent for its last ms; false when it does not fall silent.
bool fallsSilent(MonitorRecording& recording, int ms);

} // namespace audrel::test
