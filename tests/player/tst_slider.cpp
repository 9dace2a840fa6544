// TSlider with bitmaps of plain colours, so that the back buffer shows which
// thumb was drawn where. Pointer events go straight to the control.

#include "playertools.h"
#include "testmain.h"

#include "player/slider.h"

#include <QApplication>
#include <QTest>

using namespace audrel;
using namespace audrel::test;

namespace {

QPixmap plain(QSize size, Qt::GlobalColor color)
{
    QPixmap pixmap(size);
    pixmap.fill(color);
    return pixmap;
}

// A slider as the players make it (a 255 x 39 track, 30 x 38 thumbs, 0 to 400),
// recording its pointer events and changes in the order raised.
struct Bench
{
    TSlider slider;
    QStringList events;

    explicit Bench(QSize track = {255, 39}, QSize thumb = {30, 38})
    {
        slider.setMaximum(400);
        slider.setThumbNormal(plain(thumb, Qt::red));
        slider.setThumbHighlighted(plain(thumb, Qt::green));
        slider.setThumbClicked(plain(thumb, Qt::blue));
        slider.setTrack(plain(track, Qt::gray));
        QObject::connect(&slider, &TSlider::OnMouseDown, [this] { events << "down"; });
        QObject::connect(&slider, &TSlider::OnMouseUp, [this] { events << "up"; });
        QObject::connect(&slider, &TSlider::OnChange, [this] { events << "change"; });
    }
    void send(QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton)
    {
        sendPointer(&slider, type, at, button);
    }
    // The colour in the buffer where the middle of a thumb at x would be.
    QColor thumbAt(int x) const { return slider.Buffer().toImage().pixelColor(x + 15, 19); }
};

} // namespace

class TestSlider : public QObject
{
    Q_OBJECT

private slots:
    void positionsFromCode();
    void dragsFireOncePerMove();
    void drawsOnlyWhatItCan();
    void dragNeedsRoomAlongItsAxis();
};

void TestSlider::positionsFromCode()
{
    Bench b;
    QCOMPARE(b.slider.Buffer().size(), QSize(255, 38));
    for (const auto& [position, x] : {std::pair{400, 225}, {200, 112}, {1, 0}}) {
        b.slider.setPosition(position);
        QCOMPARE(b.slider.ThumbRect(), QRect(x, 0, 30, 38));
        QCOMPARE(b.thumbAt(x), QColor(Qt::red));
    }
    QCOMPARE(b.thumbAt(112), QColor(Qt::gray)); // the thumb left its old place
    b.slider.setPosition(500);
    QCOMPARE(b.slider.Position(), 400);
    b.slider.setMaximum(61);
    QCOMPARE(b.slider.Position(), 61);
    b.slider.setMinimum(10);
    b.slider.setPosition(3);
    QCOMPARE(b.slider.Position(), 10);
    QVERIFY(b.events.isEmpty()); // nothing set from code is a change
}

void TestSlider::dragsFireOncePerMove()
{
    Bench b;
    // 45 of the thumb's 225 pixels of room over 400 steps, from 0.
    const QPoint grip = b.slider.ThumbRect().center();
    b.send(QEvent::MouseButtonPress, grip);
    b.send(QEvent::MouseMove, grip + QPoint(45, 0));
    QCOMPARE(b.slider.Position(), 80);
    QCOMPARE(b.thumbAt(45), QColor(Qt::blue)); // held
    b.send(QEvent::MouseButtonRelease, grip + QPoint(45, 0));
    // The mouse-up comes first: a player has stopped seeking when it hears of the change.
    QCOMPARE(b.events, (QStringList{"down", "up", "change"}));
    dragThumb(&b.slider, 300);
    QCOMPARE(b.slider.Position(), 400);
    QCOMPARE(b.events.count("change"), 2);

    // No change: a press and release in place, a drag back to where it began,
    // a press on the track beside the thumb, a right-button drag.
    dragThumb(&b.slider, 0);
    const QPoint end = b.slider.ThumbRect().center();
    b.send(QEvent::MouseButtonPress, end);
    b.send(QEvent::MouseMove, end - QPoint(100, 0));
    QCOMPARE(b.slider.Position(), 223);
    b.send(QEvent::MouseMove, end);
    b.send(QEvent::MouseButtonRelease, end);
    b.send(QEvent::MouseButtonPress, QPoint(20, 19));
    QVERIFY(!b.slider.Dragging());
    b.send(QEvent::MouseButtonPress, end, Qt::RightButton);
    QVERIFY(!b.slider.Dragging());
    QCOMPARE(b.events.count("change"), 2);

    // Hovering shows the highlighted thumb until the pointer leaves it.
    b.send(QEvent::MouseMove, end);
    QCOMPARE(b.thumbAt(225), QColor(Qt::green));
    b.send(QEvent::MouseMove, QPoint(5, 19));
    QCOMPARE(b.thumbAt(225), QColor(Qt::red));
}

void TestSlider::drawsOnlyWhatItCan()
{
    // The other thumbs follow the normal one until set; nothing is drawn
    // without a track, nor while Minimum equals Maximum.
    TSlider slider;
    slider.setThumbNormal(plain({30, 38}, Qt::red));
    QCOMPARE(slider.ThumbClicked().toImage().pixelColor(0, 0), QColor(Qt::red));
    QVERIFY(slider.Buffer().isNull());
    slider.setMaximum(0);
    slider.setTrack(plain({255, 39}, Qt::gray));
    QCOMPARE(slider.Buffer().toImage().pixelColor(100, 10).alpha(), 0);
    slider.setMaximum(10);
    QCOMPARE(slider.Buffer().toImage().pixelColor(100, 10), QColor(Qt::gray));

    // The players' own bitmaps: the rows of the track that the bar shows (as
    // many as the thumb is high) hold its whole frame, the bottom edge drawn
    // as the top one.
    TSlider player;
    player.setThumbNormal(QPixmap(":/slider/thumbnormal.png"));
    player.setTrack(QPixmap(":/slider/track.png"));
    player.setMaximum(400);
    player.setPosition(400); // the thumb out of the way at the right
    const QImage shown = player.Buffer().toImage();
    QCOMPARE(shown.height(), 38);
    QVERIFY(shown.pixelColor(127, 0).alpha() > 0);
    QCOMPARE(shown.pixelColor(127, shown.height() - 1), shown.pixelColor(127, 0));
}

void TestSlider::dragNeedsRoomAlongItsAxis()
{
    // A track no wider than the thumb ignores drags instead of dividing by zero.
    Bench narrow({30, 39});
    dragThumb(&narrow.slider, 20);
    QCOMPARE(narrow.slider.Position(), 0);
    QCOMPARE(narrow.events.count("change"), 0);

    // Vertical, with 62 pixels of room: up raises the position, truncating toward zero.
    Bench tall({255, 100});
    tall.slider.setOrientation(slVertical);
    dragThumb(&tall.slider, 0, 31);
    QCOMPARE(tall.slider.Position(), 200);
    dragThumb(&tall.slider, 0, -1);
    QCOMPARE(tall.slider.Position(), 194);
}

AUDREL_GUI_TEST_MAIN(TestSlider)
#include "tst_slider.moc"
