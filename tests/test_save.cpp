// Saving the avatar: the 24-bit BMP encoder and the click of 按钮6.

#include "app/Controls.h"
#include "compose/PictureBox.h"
#include "compose/TextOverlay.h"
#include "export/BmpEncoder.h"
#include "export/SaveHandler.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace tilvane;
using tilvane::test::TestWindow;

namespace {

quint32 u32(const QByteArray &b, int at) { return qFromLittleEndian<quint32>(b.constData() + at); }
quint16 u16(const QByteArray &b, int at) { return qFromLittleEndian<quint16>(b.constData() + at); }

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Decodes our own 24-bit bottom-up layout back to pixels, independently of Qt's reader.
QImage decode24(const QByteArray &file)
{
    const int width = int(u32(file, 18));
    const int height = int(u32(file, 22));
    const int stride = int(bmpRowStride(width));
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        const char *row = file.constData() + 54 + qint64(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(uchar(row[3 * x + 2]), uchar(row[3 * x + 1]), uchar(row[3 * x])));
    }
    return image;
}

} // namespace

class SaveTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { tilvane::test::initApplication(); }

    void encoderHeader_data();
    void encoderHeader();
    void encoderPixelsBottomUp();
    void saveWritesTheCanvas();
    void secondSaveReplacesTheFile();
    void failures_data();
    void failures();
};

void SaveTest::encoderHeader_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("stride");
    QTest::newRow("1") << 1 << 1 << 4;
    QTest::newRow("2") << 2 << 3 << 8;
    QTest::newRow("3") << 3 << 2 << 12;
    QTest::newRow("4") << 4 << 1 << 12;
    QTest::newRow("5") << 5 << 5 << 16;
    QTest::newRow("102") << 102 << 102 << 308;
}

void SaveTest::encoderHeader()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, stride);
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QByteArray file = encodeBmp24(image);
    QCOMPARE(file.left(2), QByteArray("BM"));
    QCOMPARE(file.size(), 54 + stride * height);
    QCOMPARE(u32(file, 2), quint32(54 + stride * height));
    QCOMPARE(u16(file, 6), quint16(0));
    QCOMPARE(u16(file, 8), quint16(0));
    QCOMPARE(u32(file, 10), 54u);
    QCOMPARE(u32(file, 14), 40u);
    QCOMPARE(qint32(u32(file, 18)), width);
    QCOMPARE(qint32(u32(file, 22)), height); // positive: bottom row first
    QCOMPARE(u16(file, 26), quint16(1));
    QCOMPARE(u16(file, 28), quint16(24));
    QCOMPARE(u32(file, 30), 0u);
    QCOMPARE(u32(file, 34), quint32(stride * height));
    for (int at : {38, 42, 46, 50})
        QCOMPARE(u32(file, at), 0u);
}

void SaveTest::encoderPixelsBottomUp()
{
    QImage image(3, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(1, 2, 3));
    image.setPixel(2, 0, qRgb(4, 5, 6));
    image.setPixel(0, 1, qRgb(7, 8, 9));
    const QByteArray file = encodeBmp24(image);
    // The first row stored is the bottom row; each pixel blue, green, red.
    QCOMPARE(file.mid(54, 3), QByteArray("\x09\x08\x07", 3));
    QCOMPARE(file.mid(54 + 12, 3), QByteArray("\x03\x02\x01", 3));
    QCOMPARE(file.mid(54 + 12 + 6, 3), QByteArray("\x06\x05\x04", 3));
    QVERIFY(encodeBmp24(QImage()).isEmpty());
}

void SaveTest::saveWritesTheCanvas()
{
    QTemporaryDir desktop;
    auto t = TestWindow::create();
    QVERIFY(t);
    t->platform.desktop = desktop.path();
    auto *overlay1 = t->control<TextOverlay>("文字8");
    auto *overlay2 = t->control<TextOverlay>("文字7");
    overlay1->setTextColour(0x000000FF);
    overlay2->setTextColour(0x00FF0000);
    overlay2->setPlace(overlay1->left(), overlay1->top() + 4, overlay2->width(), overlay2->height());
    overlay1->setLeft(-6); // partly outside: only the inside part is saved

    QTest::mouseClick(t->control<QAbstractButton>("按钮6"), Qt::LeftButton);

    QCOMPARE(t->platform.messages.size(), size_t(1));
    QCOMPARE(t->platform.messages[0].caption, QStringLiteral("生成完毕"));
    QCOMPARE(t->platform.messages[0].text, QStringLiteral("系统已自动生成头像档文件\r\n   头像文件.jpg  位于 桌面 "));
    QCOMPARE(t->platform.messages[0].icon, MessageIcon::None);
    QCOMPARE(toGbk(t->platform.messages[0].text).size(), 53);
    QCOMPARE(toGbk(t->platform.messages[0].caption).size(), 8);

    const QString path = QDir(desktop.path()).filePath(QStringLiteral("头像文件.jpg"));
    const QByteArray file = readAll(path);
    QCOMPARE(file.size(), 54 + 308 * 102);
    const QImage saved = decode24(file);
    const QImage shown = t->control<PictureBox>("图片框1")->snapshot();
    QCOMPARE(saved, shown.convertToFormat(QImage::Format_RGB32));
    // What the window really shows there, grabbed from its backing store.
    QCOMPARE(saved, t->control<QWidget>("图片框1")->grab().toImage().convertToFormat(QImage::Format_RGB32));
    QCOMPARE(saved.pixel(0, 0), qRgb(128, 128, 128));
    QCOMPARE(saved.pixel(101, 101), qRgb(128, 128, 128));
    QVERIFY(tilvane::test::countPixelsNot(saved, qRgb(128, 128, 128)) > 20);
}

void SaveTest::secondSaveReplacesTheFile()
{
    QTemporaryDir desktop;
    auto t = TestWindow::create();
    QVERIFY(t);
    t->platform.desktop = desktop.path();
    const QString path = QDir(desktop.path()).filePath(QStringLiteral("头像文件.jpg"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, 'x')); // longer than an avatar: must not survive as a tail
    }
    auto *button = t->control<QAbstractButton>("按钮6");
    QTest::mouseClick(button, Qt::LeftButton);
    const QByteArray first = readAll(path);
    t->control<PictureBox>("图片框1")->setBackgroundColour(0x0000FF00);
    QTest::mouseClick(button, Qt::LeftButton);
    const QByteArray second = readAll(path);
    QCOMPARE(first.size(), 54 + 308 * 102);
    QCOMPARE(second.size(), first.size());
    QVERIFY(first != second);
    QCOMPARE(decode24(second).pixel(0, 0), qRgb(0, 255, 0));
    QCOMPARE(QDir(desktop.path()).entryList(QDir::Files).size(), qsizetype(1)); // no stray temporaries
}

void SaveTest::failures_data()
{
    QTest::addColumn<QString>("setup");
    QTest::newRow("desktop folder missing") << "missing";
    QTest::newRow("desktop is a file") << "file";
    QTest::newRow("avatar path is a folder") << "folder";
    QTest::newRow("no desktop reported") << "empty";
}

void SaveTest::failures()
{
    QFETCH(QString, setup);
    QTemporaryDir root;
    auto t = TestWindow::create();
    QVERIFY(t);
    QString desktop = root.filePath(QStringLiteral("桌面"));
    if (setup == "file") {
        QFile f(desktop);
        QVERIFY(f.open(QIODevice::WriteOnly));
    } else if (setup == "folder") {
        QVERIFY(QDir().mkpath(QDir(desktop).filePath(QStringLiteral("头像文件.jpg"))));
    } else if (setup == "empty") {
        desktop.clear();
    }
    t->platform.desktop = desktop;
    QTest::mouseClick(t->control<QAbstractButton>("按钮6"), Qt::LeftButton);

    QCOMPARE(t->platform.messages.size(), size_t(1));
    const auto &message = t->platform.messages[0];
    QVERIFY(message.caption != QStringLiteral("生成完毕"));
    QCOMPARE(message.icon, MessageIcon::Error);
    if (!desktop.isEmpty())
        QVERIFY2(message.text.contains(QDir::toNativeSeparators(desktop)), qPrintable(message.text));
    // Nothing is created anywhere else, and the missing folder is not made.
    if (setup == "missing")
        QVERIFY(!QFileInfo::exists(desktop));
    QCOMPARE(QDir(root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(),
             qsizetype(setup == "missing" || setup == "empty" ? 0 : 1));
    if (setup == "folder")
        QVERIFY(QFileInfo(QDir(desktop).filePath(QStringLiteral("头像文件.jpg"))).isDir());
}

QTEST_MAIN(SaveTest)
#include "test_save.moc"
