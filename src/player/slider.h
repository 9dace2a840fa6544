#pragma once
// The players' seek bar: a track bitmap with a thumb bitmap on top, painted
// through a back buffer. The thumb shows another image while the pointer is
// over it and while it is dragged. Setting Position from code moves the thumb
// and never fires OnChange; a drag fires OnChange once, when the button is
// released, and only if the position moved, so that a player seeks once per drag.
//
// The thumb always lies along the x axis at the top edge; Orientation chooses
// only which way of dragging moves it. Dragging needs a track larger than the
// thumb along the dragging axis: a slider without that room ignores drags.

#include <QPixmap>
#include <QWidget>

namespace audrel {

enum TSliderOrientation
{
    slHorizontal,
    slVertical
};

class TSlider : public QWidget
{
    Q_OBJECT

public:
    // Created with a size of 0 by 0: the user sizes it (the players make it
    // as large as the track).
    explicit TSlider(QWidget* parent = nullptr);
    ~TSlider() override;

    // The slider keeps copies of the bitmaps it is given. Setting the normal
    // thumb also sets the highlighted and clicked thumbs that are not set yet.
    const QPixmap& ThumbNormal() const { return m_thumbNormal; }
    void setThumbNormal(const QPixmap& bitmap);
    const QPixmap& ThumbHighlighted() const { return m_thumbHighlighted; }
    void setThumbHighlighted(const QPixmap& bitmap);
    const QPixmap& ThumbClicked() const { return m_thumbClicked; }
    void setThumbClicked(const QPixmap& bitmap);
    const QPixmap& Track() const { return m_track; }
    void setTrack(const QPixmap& bitmap);

    TSliderOrientation Orientation() const { return m_orientation; }
    void setOrientation(TSliderOrientation orientation);
    int Minimum() const { return m_minimum; }
    void setMinimum(int minimum);
    int Maximum() const { return m_maximum; }
    void setMaximum(int maximum);
    int Position() const { return m_position; }
    // Clamped to Minimum..Maximum; never fires OnChange.
    void setPosition(int position);

    // The back buffer: as wide as the track, as high as the normal thumb.
    const QPixmap& Buffer() const { return m_buffer; }
    // Where the thumb was last drawn; empty until it has been drawn.
    QRect ThumbRect() const { return m_thumbRect; }
    bool Hover() const { return m_hover; }
    bool Dragging() const { return m_dragging; }

signals:
    // A drag has ended with the thumb somewhere else than where it was pressed.
    void OnChange();
    // The pointer events of the control, each raised before the slider's own handling.
    void OnMouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void OnMouseMove(Qt::KeyboardModifiers Shift, int X, int Y);
    void OnMouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Draws the track and the thumb for the position into the buffer.
    void RenderBuffer();
    // Shows the buffer on the control.
    void DrawBuffer();
    void resizeBuffer(int width, int height);

    QPixmap m_thumbNormal;
    QPixmap m_thumbHighlighted;
    QPixmap m_thumbClicked;
    QPixmap m_track;
    QPixmap m_buffer;
    int m_bufferWidth = 0;
    int m_bufferHeight = 0;
    TSliderOrientation m_orientation = slHorizontal;
    int m_minimum = 0;
    int m_maximum = 100;
    int m_position = 0;
    QRect m_thumbRect;
    bool m_hover = false;
    bool m_dragging = false;
    QPoint m_pressPoint;
    int m_pressPosition = 0;
};

} // namespace audrel
