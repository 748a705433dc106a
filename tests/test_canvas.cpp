// The preview canvas and its text overlays: what the 102 x 102 square shows.

#include "app/Controls.h"
#include "compose/FontRecord.h"
#include "compose/PictureBox.h"
#include "compose/TextOverlay.h"
#include "testsupport.h"

#include <QTest>

using namespace tilvane;
using tilvane::test::TestWindow;

namespace {

const QRgb kGrey = qRgb(128, 128, 128);

// The bounding box of pixels that differ from the background.
QRect inkBox(const QImage &image, QRgb background = kGrey)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != (background & 0xFFFFFF))
                box |= QRect(x, y, 1, 1);
    return box;
}

// A big bold face, so strokes cover whole pixels despite antialiasing.
QByteArray bigBoldRecord()
{
    FontRecord r = songTiDefinitionRecord();
    r.height = -40;
    r.weight = 900;
    r.setFaceBytes(QByteArrayLiteral("WenQuanYi Micro Hei"));
    return r.serialise();
}

// Antialiased edges blend, so a thin white rim is only nearly white.
bool hasColour(const QImage &image, QRgb colour, int tolerance = 0)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (std::abs(qRed(p) - qRed(colour)) <= tolerance && std::abs(qGreen(p) - qGreen(colour)) <= tolerance
                && std::abs(qBlue(p) - qBlue(colour)) <= tolerance)
                return true;
        }
    return false;
}

} // namespace

class CanvasTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { tilvane::test::initApplication(); }
    void init()
    {
        t = TestWindow::create();
        QVERIFY(t);
        canvas = t->control<PictureBox>("图片框1");
        overlay1 = t->control<TextOverlay>("文字8");
        overlay2 = t->control<TextOverlay>("文字7");
    }
    void cleanup() { t.reset(); }

    void startPicture();
    void clamping_data();
    void clamping();
    void emptyCaptionsShowTheCanvasOnly();
    void ampersands();
    void lineBreakWraps();
    void singleLineIgnoresBreaks();
    void longLineIsCutAtTheCanvasEdge();
    void effects_data();
    void effects();
    void upperOverlayWinsWhereBothDraw();
    void movingLeavesNoTrace();
    void movedOffAndBack();
    void backgroundColourKeepsOverlaysOnTop();
    void fontRecordOfWrongLengthGivesDefaultFont();

private:
    std::unique_ptr<TestWindow> t;
    PictureBox *canvas = nullptr;
    TextOverlay *overlay1 = nullptr;
    TextOverlay *overlay2 = nullptr;
};

void CanvasTest::startPicture()
{
    const QImage shot = canvas->snapshot();
    QCOMPARE(shot.size(), QSize(102, 102));
    QCOMPARE(shot.pixel(0, 0), kGrey);
    QCOMPARE(shot.pixel(101, 101), kGrey);
    // "文字1" at 32,33 in 宋体 of 12 pixels, "文字2" at 32,56: both start at
    // the top-left corner of their rectangles.
    const QRect first = inkBox(shot.copy(0, 0, 102, 50)).translated(0, 0);
    const QRect second = inkBox(shot.copy(0, 52, 102, 50)).translated(0, 52);
    QVERIFY2(first.left() >= 32 && first.left() <= 34 && first.top() >= 33 && first.top() <= 36,
             qPrintable(QStringLiteral("%1,%2").arg(first.left()).arg(first.top())));
    QVERIFY(first.height() <= 14);
    QVERIFY(second.left() >= 32 && second.left() <= 34 && second.top() >= 56 && second.top() <= 60);
    QCOMPARE(overlay1->effectiveFont().pixelSize(), 12);
    QCOMPARE(overlay2->effectiveFont(), overlay2->font());
}

void CanvasTest::clamping_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<int>("written");
    QTest::addColumn<int>("stored");
    QTest::newRow("left above") << "left" << 40000 << 32627;
    QTest::newRow("left below") << "left" << -40000 << -32627;
    QTest::newRow("top at bound") << "top" << -32627 << -32627;
    QTest::newRow("top above") << "top" << 32628 << 32627;
    QTest::newRow("width negative") << "width" << -5 << 0;
    QTest::newRow("height above") << "height" << 99999 << 32627;
    QTest::newRow("effect below") << "effect" << -1 << 0;
    QTest::newRow("effect above") << "effect" << 7 << 3;
    QTest::newRow("halign above") << "hAlign" << 5 << 2;
    QTest::newRow("valign below") << "vAlign" << -3 << 0;
}

void CanvasTest::clamping()
{
    QFETCH(QString, setting);
    QFETCH(int, written);
    QFETCH(int, stored);
    const int width = overlay1->width();
    const int height = overlay1->height();
    int got = 0;
    if (setting == "left") {
        overlay1->setLeft(written);
        got = overlay1->left();
        QCOMPARE(overlay1->size(), QSize(width, height));
    } else if (setting == "top") {
        overlay1->setTop(written);
        got = overlay1->top();
        QCOMPARE(overlay1->size(), QSize(width, height));
    } else if (setting == "width") {
        overlay1->setPlace(0, 0, written, 10);
        got = overlay1->width();
    } else if (setting == "height") {
        overlay1->setPlace(0, 0, 10, written);
        got = overlay1->height();
    } else if (setting == "effect") {
        overlay1->setEffect(written);
        got = overlay1->effect();
    } else if (setting == "hAlign") {
        overlay1->setHorizontalAlignment(written);
        got = overlay1->horizontalAlignment();
    } else {
        overlay1->setVerticalAlignment(written);
        got = overlay1->verticalAlignment();
    }
    QCOMPARE(got, stored);
}

void CanvasTest::emptyCaptionsShowTheCanvasOnly()
{
    overlay1->setCaption(QString());
    overlay2->setCaption(QString());
    QCOMPARE(tilvane::test::countPixelsNot(canvas->snapshot(), kGrey), 0);
}

void CanvasTest::ampersands()
{
    overlay2->setCaption(QString());
    const auto render = [&](const char *caption) {
        overlay1->setCaption(QString::fromUtf8(caption));
        return canvas->snapshot();
    };
    const QImage plain = render("AB");
    const QImage mnemonic = render("A&B");
    const QImage doubled = render("A&&B");
    // "A&B" shows AB with the B underlined: same width, one line more below.
    QCOMPARE(inkBox(mnemonic).left(), inkBox(plain).left());
    QVERIFY(inkBox(mnemonic).bottom() > inkBox(plain).bottom());
    QVERIFY(plain != mnemonic);
    // "A&&B" shows A&B: wider than AB, and no underline.
    QVERIFY(inkBox(doubled).width() > inkBox(plain).width());
    QCOMPARE(inkBox(doubled).bottom(), inkBox(plain).bottom());
}

void CanvasTest::lineBreakWraps()
{
    overlay2->setCaption(QString());
    overlay1->setCaption(QStringLiteral("AB"));
    const QRect one = inkBox(canvas->snapshot());
    overlay1->setCaption(QStringLiteral("AB\r\nAB"));
    const QRect two = inkBox(canvas->snapshot());
    QVERIFY(two.height() > one.height() * 3 / 2);
    QCOMPARE(two.top(), one.top()); // wrapped text starts at the top, not centred
}

void CanvasTest::singleLineIgnoresBreaks()
{
    overlay2->setCaption(QString());
    overlay1->setWordWrap(0);
    overlay1->setVerticalAlignment(0);
    overlay1->setCaption(QStringLiteral("AB\r\nAB"));
    const QRect box = inkBox(canvas->snapshot());
    QVERIFY(box.height() < 16);
    // Vertical alignment applies in single-line mode: centred moves it down.
    overlay1->setPlace(0, 0, 102, 102);
    overlay1->setVerticalAlignment(1);
    const QRect centred = inkBox(canvas->snapshot());
    QVERIFY(centred.top() > 40 && centred.bottom() < 62);
    overlay1->setVerticalAlignment(2);
    QVERIFY(inkBox(canvas->snapshot()).bottom() > 90);
}

void CanvasTest::longLineIsCutAtTheCanvasEdge()
{
    overlay1->setCaption(QString());
    // Overlay 2 is 182 wide: a line of 12 characters fits its rectangle and
    // runs past the canvas's right edge instead of wrapping inside the square.
    overlay2->setCaption(QStringLiteral("一二三四五六七八九十一二"));
    const QRect box = inkBox(canvas->snapshot());
    QCOMPARE(box.right(), 101);
    QVERIFY(box.height() < 16);
}

void CanvasTest::effects_data()
{
    QTest::addColumn<int>("effect");
    QTest::addColumn<bool>("white");
    QTest::addColumn<bool>("black");
    QTest::addColumn<QPoint>("redShift");
    QTest::newRow("none") << 0 << false << false << QPoint(0, 0);
    QTest::newRow("white below right") << 1 << true << false << QPoint(0, 0);
    QTest::newRow("white under, text moved") << 2 << true << false << QPoint(1, 1);
    QTest::newRow("drop shadow") << 3 << false << true << QPoint(0, 0);
}

void CanvasTest::effects()
{
    QFETCH(int, effect);
    QFETCH(bool, white);
    QFETCH(bool, black);
    QFETCH(QPoint, redShift);
    overlay2->setCaption(QString());
    overlay1->setCaption(QStringLiteral("田"));
    overlay1->setFontRecord(bigBoldRecord());
    overlay1->setTextColour(0x000000FF); // red, stored as 0x00BBGGRR
    const QImage reference = canvas->snapshot();
    overlay1->setEffect(effect);
    const QImage shot = canvas->snapshot();
    QCOMPARE(hasColour(shot, qRgb(255, 255, 255), 40), white);
    QCOMPARE(hasColour(shot, qRgb(0, 0, 0), 40), black);
    // Pure red pixels are where the text itself is drawn.
    const auto redBox = [](const QImage &image) {
        QRect box;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if ((image.pixel(x, y) & 0xFFFFFF) == 0xFF0000)
                    box |= QRect(x, y, 1, 1);
        return box;
    };
    QVERIFY(!redBox(reference).isEmpty());
    QCOMPARE(redBox(shot).topLeft() - redBox(reference).topLeft(), redShift);
}

void CanvasTest::upperOverlayWinsWhereBothDraw()
{
    overlay1->setCaption(QStringLiteral("田田"));
    overlay2->setCaption(QStringLiteral("田田"));
    overlay1->setFontRecord(bigBoldRecord());
    overlay2->setFontRecord(bigBoldRecord());
    overlay2->setPlace(overlay1->left(), overlay1->top(), overlay1->width(), overlay1->height());
    overlay1->setTextColour(0x000000FF); // red
    overlay2->setTextColour(0x00FF0000); // blue
    const QImage both = canvas->snapshot();
    QVERIFY(hasColour(both, qRgb(0, 0, 255)));
    QVERIFY(!hasColour(both, qRgb(255, 0, 0)));
}

void CanvasTest::movingLeavesNoTrace()
{
    overlay1->setLeft(60);
    overlay1->setTop(70);
    const QImage moved = canvas->snapshot();
    auto fresh = TestWindow::create();
    QVERIFY(fresh);
    auto *other = fresh->control<TextOverlay>("文字8");
    other->setPlace(60, 70, other->width(), other->height());
    QCOMPARE(moved, fresh->control<PictureBox>("图片框1")->snapshot());
}

void CanvasTest::movedOffAndBack()
{
    overlay2->setCaption(QString());
    const QImage before = canvas->snapshot();
    const QRect box = inkBox(before);
    overlay1->setLeft(-40);
    const QRect cut = inkBox(canvas->snapshot());
    QCOMPARE(cut.left(), 0);
    QVERIFY(cut.width() < box.width());
    overlay1->setLeft(102);
    QCOMPARE(tilvane::test::countPixelsNot(canvas->snapshot(), kGrey), 0);
    overlay1->setLeft(32);
    QCOMPARE(canvas->snapshot(), before);
}

void CanvasTest::backgroundColourKeepsOverlaysOnTop()
{
    const QImage before = canvas->snapshot();
    canvas->setBackgroundColour(0x0000FF00); // green
    const QImage after = canvas->snapshot();
    QCOMPARE(after.pixel(0, 0), qRgb(0, 255, 0));
    QCOMPARE(inkBox(after, qRgb(0, 255, 0)), inkBox(before));
    canvas->setBackgroundColour(0xFF000000); // the button face
    QCOMPARE(canvas->snapshot().pixel(0, 0), canvas->palette().color(QPalette::Button).rgb());
}

void CanvasTest::fontRecordOfWrongLengthGivesDefaultFont()
{
    QByteArray record = songTiDefinitionRecord().serialise();
    QCOMPARE(drawingFont(record, overlay1->font()).pixelSize(), 12);
    record.append('\0');
    overlay1->setFontRecord(record);
    QCOMPARE(overlay1->effectiveFont(), overlay1->font());
    // The stored character set never matters: the drawing copy replaces it.
    FontRecord r = songTiDefinitionRecord();
    QCOMPARE(r.forDrawing().charSet, std::uint8_t(1));
    QCOMPARE(r.forDrawing().quality, std::uint8_t(2));
    QCOMPARE(FontRecord::parse(r.serialise()), r);
    QCOMPARE(r.face(), QStringLiteral("宋体"));
    QCOMPARE(r.faceBytes().size(), 4);
}

QTEST_MAIN(CanvasTest)
#include "test_canvas.moc"
