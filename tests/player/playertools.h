#pragma once
// Pointer events sent straight to a widget, and drags of a seek bar's thumb,
// for the tests of the slider and of the player windows.

#include <QEvent>
#include <QPoint>

class QWidget;

namespace audrel {
class TSlider;
}

namespace audrel::test {

void sendPointer(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton);
// Presses the thumb in its middle and moves it dx pixels right and dy up.
void holdThumb(TSlider* slider, int dx = 0, int dy = 0);
// Lets go of the thumb wherever it is held.
void releaseThumb(TSlider* slider);
// Both: one whole drag.
void dragThumb(TSlider* slider, int dx, int dy = 0);

} // namespace audrel::test
