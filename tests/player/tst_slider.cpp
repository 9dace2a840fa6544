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

QPixmap plain(int width, int height, Qt::GlobalColor color)
{
    QPixmap pixmap(width, height);
    pixmap.fill(color);
    return pixmap;
}

// A slider as the players make it: a 255 x 39 track, 30 x 38 thumbs, 0 to 400.
struct Bench
{
    TSlider slider;
    QStringList events; // pointer events and changes, in the order raised

    explicit Bench(QSize track = {255, 39}, QSize thumb = {30, 38})
    {
        slider.setMaximum(400);
        slider.setThumbNormal(plain(thumb.width(), thumb.height(), Qt::red));
        slider.setThumbHighlighted(plain(thumb.width(), thumb.height(), Qt::green));
        slider.setThumbClicked(plain(thumb.width(), thumb.height(), Qt::blue));
        slider.setTrack(plain(track.width(), track.height(), Qt::gray));
        slider.resize(track);
        QObject::connect(&slider, &TSlider::OnMouseDown, [this] { events << "down"; });
        QObject::connect(&slider, &TSlider::OnMouseUp, [this] { events << "up"; });
        QObject::connect(&slider, &TSlider::OnChange, [this] { events << "change"; });
    }

    void send(QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton)
    {
        sendPointer(&slider, type, at, button);
    }
    void drag(int dx, int dy = 0) { dragThumb(&slider, dx, dy); }
    // The colour drawn into the buffer at the middle of where a thumb at x would be.
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
    b.slider.setPosition(-3);
    QCOMPARE(b.slider.Position(), 0);
    b.slider.setPosition(300);
    b.slider.setMaximum(61);
    QCOMPARE(b.slider.Position(), 61);
    QCOMPARE(b.slider.ThumbRect().x(), 225);
    b.slider.setMinimum(10);
    b.slider.setPosition(3);
    QCOMPARE(b.slider.Position(), 10);
    // Nothing set from code is a change.
    QVERIFY(b.events.isEmpty());
}

void TestSlider::dragsFireOncePerMove()
{
    Bench b;
    // 45 pixels of a 225-pixel room over 400 steps, from 0.
    const QPoint grip = b.slider.ThumbRect().center();
    b.send(QEvent::MouseButtonPress, grip);
    QVERIFY(b.slider.Dragging());
    b.send(QEvent::MouseMove, grip + QPoint(45, 0));
    QCOMPARE(b.slider.Position(), 80);
    QCOMPARE(b.thumbAt(45), QColor(Qt::blue)); // held
    QCOMPARE(b.events, (QStringList{"down"}));
    b.send(QEvent::MouseButtonRelease, grip + QPoint(45, 0));
    QVERIFY(!b.slider.Dragging());
    // The mouse-up comes first: a player has stopped seeking when it hears of the change.
    QCOMPARE(b.events, (QStringList{"down", "up", "change"}));

    b.events.clear();
    b.drag(300);
    QCOMPARE(b.slider.Position(), 400);
    QCOMPARE(b.events.count("change"), 1);

    // A press and release in place, a drag back to where it began, a press on
    // the track beside the thumb and a right-button drag change nothing.
    b.events.clear();
    b.drag(0);
    const QPoint grip2 = b.slider.ThumbRect().center();
    b.send(QEvent::MouseButtonPress, grip2);
    b.send(QEvent::MouseMove, grip2 - QPoint(100, 0));
    QVERIFY(b.slider.Position() < 400);
    b.send(QEvent::MouseMove, grip2);
    b.send(QEvent::MouseButtonRelease, grip2);
    b.send(QEvent::MouseButtonPress, QPoint(20, 19));
    QVERIFY(!b.slider.Dragging());
    b.send(QEvent::MouseMove, QPoint(0, 19));
    b.send(QEvent::MouseButtonRelease, QPoint(0, 19));
    b.send(QEvent::MouseButtonPress, grip2, Qt::RightButton);
    QVERIFY(!b.slider.Dragging());
    QCOMPARE(b.slider.Position(), 400);
    QCOMPARE(b.events.count("change"), 0);

    // Hovering shows the highlighted thumb until the pointer leaves it.
    b.send(QEvent::MouseMove, grip2);
    QVERIFY(b.slider.Hover());
    QCOMPARE(b.thumbAt(225), QColor(Qt::green));
    b.send(QEvent::MouseMove, QPoint(5, 19));
    QVERIFY(!b.slider.Hover());
    QCOMPARE(b.thumbAt(225), QColor(Qt::red));
}

void TestSlider::drawsOnlyWhatItCan()
{
    // The highlighted and clicked thumbs follow the normal one until set.
    TSlider slider;
    slider.setThumbNormal(plain(30, 38, Qt::red));
    QCOMPARE(slider.ThumbClicked().toImage().pixelColor(0, 0), QColor(Qt::red));
    QVERIFY(slider.Buffer().isNull()); // no track yet: no width
    slider.setMaximum(0);
    slider.setTrack(plain(255, 39, Qt::gray));
    QCOMPARE(slider.Buffer().size(), QSize(255, 38));
    QCOMPARE(slider.Buffer().toImage().pixelColor(100, 10).alpha(), 0);
    QVERIFY(slider.ThumbRect().isNull());
    slider.setMaximum(10);
    QCOMPARE(slider.Buffer().toImage().pixelColor(100, 10), QColor(Qt::gray));
}

void TestSlider::dragNeedsRoomAlongItsAxis()
{
    // A track no wider than the thumb: drags are ignored, not divided by zero.
    Bench narrow({30, 39});
    narrow.drag(20);
    QCOMPARE(narrow.slider.Position(), 0);
    QVERIFY(narrow.events.count("change") == 0);

    // Vertical: 62 pixels of room; moving up raises the position, truncating.
    Bench tall({255, 100});
    tall.slider.setOrientation(slVertical);
    tall.drag(0, 31);
    QCOMPARE(tall.slider.Position(), 200);
    tall.drag(0, -1);
    QCOMPARE(tall.slider.Position(), 194);
    QCOMPARE(tall.events.count("change"), 2);
}

AUDREL_GUI_TEST_MAIN(TestSlider)
#include "tst_slider.moc"
