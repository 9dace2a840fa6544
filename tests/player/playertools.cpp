#include "playertools.h"

#include "player/slider.h"

#include <QApplication>
#include <QMouseEvent>

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

} // namespace audrel::test
