#pragma once
// Pointer events sent straight to a widget, for the tests of the seek bar and
// of the player windows, and the listening to what the windows play.

#include "audiotools.h"

#include <QEvent>
#include <QPoint>

#include <functional>

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

// What the listening tests hear of a player window that was put through its
// paces while it plays a song: three seconds of the song (from half a second
// after it is first heard) without a dropout longer than 2 ms, on streams
// that the sound server shows as the program's;
// then, once stop() has made it fall silent, all 50 ms (at least 45, at most
// 100) of the short entry that next() plays, until done() says the window is
// through with it. The waits are generous: the private sound server delays
// some stream starts. A failure fails the test.
void listenToPlayer(const std::function<void()>& stop, const std::function<void()>& next,
                    const std::function<bool()>& done);

} // namespace audrel::test
