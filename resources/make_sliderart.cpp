// Draws the bitmaps of the players' seek bar: the track (255 x 39) and the
// thumb at rest, under the pointer and held (30 x 38 each), as PNG files.
//   make_sliderart FOLDER
// writes FOLDER/track.png, FOLDER/thumbnormal.png, FOLDER/thumbhighlighted.png
// and FOLDER/thumbclicked.png.

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <cstdio>

namespace {

constexpr int kTrackWidth = 255;
constexpr int kTrackHeight = 39;
constexpr int kThumbWidth = 30;
constexpr int kThumbHeight = 38;
constexpr int kVisibleHeight = kThumbHeight; // rows of the track the seek bar draws
// The groove runs between the centres of the thumb at both ends.
constexpr double kGrooveLeft = kThumbWidth / 2.0 - 3;
constexpr double kGrooveRight = kTrackWidth - kThumbWidth / 2.0 + 3;
constexpr double kGrooveTop = 16;
constexpr double kGrooveHeight = 6;

QImage blank(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage track()
{
    QImage image = blank(kTrackWidth, kTrackHeight);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // A shallow panel that the groove is cut into. The seek bar shows as many
    // rows of the track as the thumb is high: the panel ends there, and the
    // track's last row stays clear.
    QLinearGradient panel(0, 0, 0, kVisibleHeight);
    panel.setColorAt(0, QColor(0xf4, 0xf6, 0xf9));
    panel.setColorAt(1, QColor(0xd9, 0xde, 0xe6));
    p.setPen(QPen(QColor(0xa8, 0xb0, 0xbc), 1));
    p.setBrush(panel);
    p.drawRoundedRect(QRectF(0.5, 0.5, kTrackWidth - 1, kVisibleHeight - 1), 6, 6);

    // The groove: dark at the top, where the light does not reach, with a
    // light lower lip.
    const QRectF groove(kGrooveLeft, kGrooveTop, kGrooveRight - kGrooveLeft, kGrooveHeight);
    QLinearGradient inside(0, groove.top(), 0, groove.bottom());
    inside.setColorAt(0, QColor(0x3a, 0x42, 0x4e));
    inside.setColorAt(1, QColor(0x6b, 0x75, 0x83));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawRoundedRect(groove.translated(0, 1), 3, 3);
    p.setBrush(inside);
    p.drawRoundedRect(groove, 3, 3);

    // Ticks under the groove: ten steps, the middle and the ends taller.
    p.setPen(QPen(QColor(0x7d, 0x86, 0x94), 1));
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i <= 10; ++i) {
        const int x = int(kThumbWidth / 2.0 + i * (kTrackWidth - kThumbWidth) / 10.0);
        const int length = (i == 0 || i == 5 || i == 10) ? 6 : 3;
        p.drawLine(x, 28, x, 28 + length);
    }
    return image;
}

enum class Look
{
    Normal,
    Highlighted,
    Clicked
};

QImage thumb(Look look)
{
    QImage image = blank(kThumbWidth, kThumbHeight);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // A grip with a pointed foot that marks the place on the ticks.
    QPainterPath body;
    body.moveTo(5.5, 5);
    body.quadTo(5.5, 1.5, 9, 1.5);
    body.lineTo(21, 1.5);
    body.quadTo(24.5, 1.5, 24.5, 5);
    body.lineTo(24.5, 27);
    body.lineTo(15, 36.5);
    body.lineTo(5.5, 27);
    body.closeSubpath();

    QColor top, bottom, edge;
    switch (look) {
    case Look::Normal:
        top = QColor(0x8f, 0xb4, 0xe3);
        bottom = QColor(0x2f, 0x5f, 0xa3);
        edge = QColor(0x1f, 0x3f, 0x70);
        break;
    case Look::Highlighted:
        top = QColor(0xc4, 0xdc, 0xfa);
        bottom = QColor(0x3f, 0x7c, 0xcf);
        edge = QColor(0x26, 0x4f, 0x8c);
        break;
    case Look::Clicked:
        // Pressed in: the light comes from below.
        top = QColor(0x24, 0x4a, 0x82);
        bottom = QColor(0x6f, 0x98, 0xd0);
        edge = QColor(0x14, 0x2c, 0x52);
        break;
    }
    QLinearGradient fill(0, 0, 0, kThumbHeight);
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);

    // A soft shadow one pixel down and right, then the body.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, look == Look::Clicked ? 30 : 60));
    p.drawPath(body.translated(1, 1));
    p.setPen(QPen(edge, 1));
    p.setBrush(fill);
    p.drawPath(body);

    // Three ridges across the grip.
    const QColor ridgeLight(255, 255, 255, look == Look::Clicked ? 90 : 170);
    const QColor ridgeDark(0, 0, 0, 90);
    for (int i = 0; i < 3; ++i) {
        const double y = 10.5 + i * 5;
        p.setPen(QPen(ridgeDark, 1));
        p.drawLine(QPointF(10, y), QPointF(20, y));
        p.setPen(QPen(ridgeLight, 1));
        p.drawLine(QPointF(10, y + 1), QPointF(20, y + 1));
    }
    return image;
}

bool save(const QImage& image, const QString& folder, const char* name)
{
    const QString path = folder + QLatin1Char('/') + QLatin1String(name);
    if (image.save(path, "PNG")) return true;
    std::fprintf(stderr, "make_sliderart: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sliderart FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const bool ok = save(track(), folder, "track.png") &&
                    save(thumb(Look::Normal), folder, "thumbnormal.png") &&
                    save(thumb(Look::Highlighted), folder, "thumbhighlighted.png") &&
                    save(thumb(Look::Clicked), folder, "thumbclicked.png");
    return ok ? 0 : 1;
}
