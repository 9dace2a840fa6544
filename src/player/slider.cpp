#include "player/slider.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace audrel {

TSlider::TSlider(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Slider"));
    // Hovering over the thumb changes its image, so moves count without a button held.
    setMouseTracking(true);
    resize(0, 0);
}

TSlider::~TSlider() = default;

void TSlider::resizeBuffer(int width, int height)
{
    if (width == m_buffer.width() && height == m_buffer.height()) return;
    QPixmap resized;
    if (width > 0 && height > 0) {
        resized = QPixmap(width, height);
        resized.fill(Qt::transparent);
        if (!m_buffer.isNull()) QPainter(&resized).drawPixmap(0, 0, m_buffer);
    }
    m_buffer = resized;
    // A bitmap of no height still keeps its width, and the other way round.
    m_bufferWidth = width;
    m_bufferHeight = height;
}

void TSlider::setThumbNormal(const QPixmap& bitmap)
{
    m_thumbNormal = bitmap;
    if (m_thumbHighlighted.isNull()) m_thumbHighlighted = bitmap;
    if (m_thumbClicked.isNull()) m_thumbClicked = bitmap;
    resizeBuffer(m_bufferWidth, bitmap.height());
    RenderBuffer();
}

void TSlider::setThumbHighlighted(const QPixmap& bitmap)
{
    m_thumbHighlighted = bitmap;
    RenderBuffer();
}

void TSlider::setThumbClicked(const QPixmap& bitmap)
{
    m_thumbClicked = bitmap;
    RenderBuffer();
}

void TSlider::setTrack(const QPixmap& bitmap)
{
    m_track = bitmap;
    resizeBuffer(bitmap.width(), m_bufferHeight);
    RenderBuffer();
}

void TSlider::setOrientation(TSliderOrientation orientation)
{
    if (orientation == m_orientation) return;
    m_orientation = orientation;
    RenderBuffer();
    update();
}

void TSlider::setMinimum(int minimum)
{
    if (minimum == m_minimum) return;
    m_minimum = minimum;
    if (m_position < minimum) m_position = minimum;
    RenderBuffer();
    update();
}

void TSlider::setMaximum(int maximum)
{
    if (maximum == m_maximum) return;
    m_maximum = maximum;
    if (m_position > maximum) m_position = maximum;
    RenderBuffer();
    update();
}

void TSlider::setPosition(int position)
{
    position = std::max(position, m_minimum);
    position = std::min(position, m_maximum);
    if (position == m_position) return;
    m_position = position;
    RenderBuffer();
    DrawBuffer();
}

void TSlider::RenderBuffer()
{
    if (m_minimum == m_maximum || m_track.isNull() || m_thumbNormal.isNull() || m_buffer.isNull()) return;
    QPainter painter(&m_buffer);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(m_buffer.rect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawPixmap(0, 0, m_track);
    // On 64 bits: a wide range times the track's room must not overflow.
    const qint64 room = m_track.width() - m_thumbNormal.width();
    const int x = int(room * (qint64(m_position) - m_minimum) / (qint64(m_maximum) - m_minimum));
    m_thumbRect = QRect(x, 0, m_thumbNormal.width(), m_thumbNormal.height());
    const QPixmap& thumb = m_dragging ? m_thumbClicked : m_hover ? m_thumbHighlighted : m_thumbNormal;
    painter.drawPixmap(x, 0, thumb);
}

void TSlider::DrawBuffer()
{
    update();
}

void TSlider::paintEvent(QPaintEvent*)
{
    if (m_buffer.isNull()) return;
    QPainter(this).drawPixmap(0, 0, m_buffer);
}

void TSlider::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    emit OnMouseDown(event->button(), event->modifiers(), at.x(), at.y());
    if (event->button() != Qt::LeftButton || !m_thumbRect.contains(at)) return;
    m_dragging = true;
    m_pressPoint = at;
    m_pressPosition = m_position;
    RenderBuffer();
    DrawBuffer();
}

void TSlider::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    emit OnMouseMove(event->modifiers(), at.x(), at.y());
    if (m_dragging) {
        // Multiplication first, division truncating toward zero. The room the
        // thumb has along the dragging axis divides: without room, no drag.
        const qint64 span = qint64(m_maximum) - m_minimum;
        qint64 moved = 0;
        if (m_orientation == slHorizontal) {
            const qint64 room = m_track.width() - m_thumbNormal.width();
            if (room <= 0) return;
            moved = span * (at.x() - m_pressPoint.x()) / room;
        } else {
            const qint64 room = m_track.height() - m_thumbNormal.height();
            if (room <= 0) return;
            moved = (m_pressPoint.y() - at.y()) * span / room; // up raises the position
        }
        const qint64 wanted =
            std::min<qint64>(std::max<qint64>(m_pressPosition + moved, m_minimum), m_maximum);
        setPosition(int(wanted));
        return;
    }
    if (m_thumbRect.contains(at)) {
        m_hover = true;
        RenderBuffer();
        DrawBuffer();
    } else if (m_hover) {
        m_hover = false;
        RenderBuffer();
        DrawBuffer();
    }
}

void TSlider::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    emit OnMouseUp(event->button(), event->modifiers(), at.x(), at.y());
    if (event->button() != Qt::LeftButton || !m_dragging) return;
    m_dragging = false;
    if (m_position != m_pressPosition) emit OnChange();
    RenderBuffer();
    DrawBuffer();
}

} // namespace audrel
