#include "playertools.h"

#include "player/slider.h"

#include <QApplication>
#include <QMouseEvent>

namespace audrel::test {

namespace {

QPoint g_held; // where the thumb is held

} // namespace

void sendPointer(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button)
{
    const Qt::MouseButtons down =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, at, widget->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : button,
                      down, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void holdThumb(TSlider* slider, int dx, int dy)
{
    const QPoint grip = slider->ThumbRect().center();
    sendPointer(slider, QEvent::MouseButtonPress, grip);
    g_held = grip + QPoint(dx, -dy);
    if (dx != 0 || dy != 0) sendPointer(slider, QEvent::MouseMove, g_held);
}

void releaseThumb(TSlider* slider)
{
    sendPointer(slider, QEvent::MouseButtonRelease, g_held);
}

void dragThumb(TSlider* slider, int dx, int dy)
{
    holdThumb(slider, dx, dy);
    releaseThumb(slider);
}

} // namespace audrel::test
