// Fit placement and scaling: where a picture lands on the 102 x 102 canvas.

#include "compose/FitPlacement.h"

#include <QTest>
#include <climits>

using namespace tilvane;

class PlacementTest : public QObject {
    Q_OBJECT
private slots:
    void fit_data();
    void fit();
    void otherArea();
    void scalingModes();
    void scalingKeepsTransparency();
};

void PlacementTest::fit_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("expected");

    QTest::newRow("fits: natural size, centred") << QSize(50, 40) << QRect(26, 31, 50, 40);
    QTest::newRow("exact canvas") << QSize(102, 102) << QRect(0, 0, 102, 102);
    QTest::newRow("wide") << QSize(200, 100) << QRect(0, 25, 102, 51);
    // Centred in two steps: 25 rows above and 27 below, not 26 and 26.
    QTest::newRow("wide, odd leftover") << QSize(200, 99) << QRect(0, 25, 102, 50);
    QTest::newRow("tall") << QSize(100, 300) << QRect(34, 0, 34, 102);
    QTest::newRow("photo 4:3") << QSize(640, 480) << QRect(0, 13, 102, 76);
    QTest::newRow("one column too wide") << QSize(103, 102) << QRect(0, 0, 102, 101);
    QTest::newRow("one row too tall") << QSize(102, 103) << QRect(0, 0, 101, 102);
    QTest::newRow("odd fit rounds down") << QSize(51, 51) << QRect(25, 25, 51, 51);
    QTest::newRow("1 x 1") << QSize(1, 1) << QRect(50, 50, 1, 1);
    QTest::newRow("0 x 0") << QSize(0, 0) << QRect(51, 51, 0, 0);
    QTest::newRow("negative counts as 0") << QSize(-5, -7) << QRect(51, 51, 0, 0);
    QTest::newRow("0 wide, too tall") << QSize(0, 500) << QRect(51, 0, 0, 102);
    QTest::newRow("too wide, 0 tall") << QSize(500, 0) << QRect(0, 51, 102, 0);
    QTest::newRow("huge square") << QSize(32767, 32767) << QRect(0, 0, 102, 102);
    QTest::newRow("huge sliver shrinks to no rows") << QSize(32767, 1) << QRect(0, 50, 102, 0);
    QTest::newRow("int max") << QSize(INT_MAX, INT_MAX) << QRect(0, 0, 102, 102);
}

void PlacementTest::fit()
{
    QFETCH(QSize, picture);
    QFETCH(QRect, expected);
    const QRect placed = fitPlacement(picture);
    QCOMPARE(placed, expected);
    QVERIFY(QRect(0, 0, 102, 102).contains(placed) || placed.isEmpty());
}

void PlacementTest::otherArea()
{
    QCOMPARE(fitPlacement(QSize(10, 10), QSize(0, 0)), QRect(0, 0, 0, 0));
    QCOMPARE(fitPlacement(QSize(300, 100), QSize(200, 200)), QRect(0, 67, 200, 66));
}

void PlacementTest::scalingModes()
{
    // Alternate black and white columns, halved: area-averaging blends each
    // pair into grey, dropping columns keeps pure black or white.
    QImage stripes(204, 204, QImage::Format_RGB32);
    for (int x = 0; x < stripes.width(); ++x)
        for (int y = 0; y < stripes.height(); ++y)
            stripes.setPixel(x, y, x % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));

    const QImage smooth = scaleForPlacement(stripes, QSize(102, 102), Qt::SmoothTransformation);
    QCOMPARE(smooth.size(), QSize(102, 102));
    QVERIFY(qAbs(qRed(smooth.pixel(50, 50)) - 128) <= 2);

    const QImage fast = scaleForPlacement(stripes, QSize(102, 102), Qt::FastTransformation);
    QCOMPARE(fast.size(), QSize(102, 102));
    const int red = qRed(fast.pixel(50, 50));
    QVERIFY(red == 0 || red == 255);

    // Offscreen screens report 24 bits per pixel.
    QCOMPARE(scalingModeForScreen(), Qt::SmoothTransformation);

    QVERIFY(scaleForPlacement(stripes, QSize(102, 0), Qt::SmoothTransformation).isNull());
    QVERIFY(scaleForPlacement(QImage(), QSize(10, 10), Qt::SmoothTransformation).isNull());
}

void PlacementTest::scalingKeepsTransparency()
{
    QImage icon(64, 64, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    for (int y = 0; y < 64; ++y)
        for (int x = 32; x < 64; ++x)
            icon.setPixel(x, y, qRgba(255, 0, 0, 255));
    const QImage scaled = scaleForPlacement(icon, QSize(32, 32), Qt::SmoothTransformation);
    QVERIFY(scaled.hasAlphaChannel());
    QCOMPARE(qAlpha(scaled.pixel(2, 16)), 0);
    QCOMPARE(qAlpha(scaled.pixel(29, 16)), 255);

    QImage opaque(10, 10, QImage::Format_ARGB32);
    opaque.fill(Qt::blue);
    QVERIFY(!scaleForPlacement(opaque.convertToFormat(QImage::Format_RGB32), QSize(5, 5),
                               Qt::SmoothTransformation).hasAlphaChannel());
}

QTEST_GUILESS_MAIN(PlacementTest)
#include "test_placement.moc"
