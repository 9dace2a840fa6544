#pragma once
// Pointer events sent straight to a widget, for the tests of the seek bar and
// of the player windows.

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

} // namespace audrel::test
