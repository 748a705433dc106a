// The canvas background: choosing a picture file, how pictures are told apart
// and placed, animated GIFs, the background colour, and whole-file reading.

#include "app/Controls.h"
#include "compose/Colour.h"
#include "compose/ColourPicker.h"
#include "compose/PictureBox.h"
#include "compose/PicturePlayer.h"
#include "compose/TextOverlay.h"
#include "platform/QtPlatform.h"
#include "testsupport.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <sys/stat.h>

using namespace tilvane;
using tilvane::test::countPixelsNot;
using tilvane::test::TestWindow;

namespace {

const QRgb kGrey = qRgb(128, 128, 128);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 200, 0);
const QRgb kBlue = qRgb(0, 0, 255);

QByteArray encoded(QSize size, QRgb colour, const char *format)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 95);
    return bytes;
}

void put16(QByteArray &out, int value)
{
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

void put32(QByteArray &out, qint32 value)
{
    put16(out, value & 0xFFFF);
    put16(out, (value >> 16) & 0xFFFF);
}

struct FilledFrame {
    QRect rect;
    int colourIndex;
    int delayHundredths;
};

// A GIF89a with a four-colour global table (red, green, blue, white) whose
// frames are each filled with one colour. The LZW data holds only literal
// codes, with a clear code after every two so the code width stays 3 bits.
// It asks to be played once, which the canvas ignores.
QByteArray makeGif(QSize screen, const std::vector<FilledFrame> &frames)
{
    QByteArray out("GIF89a");
    put16(out, screen.width());
    put16(out, screen.height());
    out.append(char(0x81)).append(char(0)).append(char(0));
    for (QRgb c : {kRed, kGreen, kBlue, qRgb(255, 255, 255)})
        out.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
    out.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01", 16);
    put16(out, 1);
    out.append(char(0));
    for (const FilledFrame &f : frames) {
        out.append("\x21\xF9\x04\x00", 4);
        put16(out, f.delayHundredths);
        out.append(char(0)).append(char(0));
        out.append(char(0x2C));
        put16(out, f.rect.x());
        put16(out, f.rect.y());
        put16(out, f.rect.width());
        put16(out, f.rect.height());
        out.append(char(0));
        out.append(char(2)); // minimum code size

        QByteArray data;
        quint32 bits = 0;
        int bitCount = 0;
        auto put = [&](int code) {
            bits |= quint32(code) << bitCount;
            bitCount += 3;
            while (bitCount >= 8) {
                data.append(char(bits & 0xFF));
                bits >>= 8;
                bitCount -= 8;
            }
        };
        const int pixels = f.rect.width() * f.rect.height();
        for (int i = 0; i < pixels; ++i) {
            if (i % 2 == 0)
                put(4);
            put(f.colourIndex);
        }
        put(5);
        if (bitCount > 0)
            data.append(char(bits & 0xFF));
        for (qsizetype at = 0; at < data.size(); at += 255) {
            const QByteArray block = data.mid(at, 255);
            out.append(char(block.size())).append(block);
        }
        out.append(char(0));
    }
    out.append(char(0x3B));
    return out;
}

// A 16 x 16 icon, 24 bits per pixel: the left half masked out, the right red.
QByteArray makeIcon()
{
    const int side = 16;
    QByteArray image;
    put32(image, 40);
    put32(image, side);
    put32(image, side * 2);
    put16(image, 1);
    put16(image, 24);
    for (int i = 0; i < 6; ++i)
        put32(image, 0);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            image.append(x < side / 2 ? QByteArray(3, 0) : QByteArray("\x00\x00\xFF", 3));
    for (int y = 0; y < side; ++y)
        image.append("\xFF\x00\x00\x00", 4); // 1 = transparent, for the left 8 columns

    QByteArray out;
    put16(out, 0);
    put16(out, 1);
    put16(out, 1);
    out.append(char(side)).append(char(side)).append(char(0)).append(char(0));
    put16(out, 1);
    put16(out, 24);
    put32(out, qint32(image.size()));
    put32(out, 6 + 16);
    return out + image;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class BackgroundTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { tilvane::test::initApplication(); }
    void init();
    void cleanup() { t.reset(); }

    void firstCancelLeavesNoPicture();
    void cancelKeepsPictureWithoutRereading();
    void contentDecidesFormat_data();
    void contentDecidesFormat();
    void placementOnCanvas_data();
    void placementOnCanvas();
    void colourUnderFullPictureChangesNothing();
    void iconShowsBackgroundThroughTransparency();
    void animationPlaysAndLoops();
    void animationPausesWhileWindowMinimisedOrHidden();
    void newPictureStopsAnimation();
    void zeroDelayShowsFiftyMilliseconds();
    void realAnimationsLoopFromCache_data();
    void realAnimationsLoopFromCache();
    void wholeFileReading_data();
    void wholeFileReading();
    void largeFileKeepsEventsFlowing();

private:
    QString file(const QString &name, const QByteArray &bytes);
    void choose(const std::optional<QString> &answer);
    void clearCaptions();
    void setBackgroundByPicker(std::uint32_t colour);

    std::unique_ptr<TestWindow> t;
    PictureBox *canvas = nullptr;
    std::unique_ptr<QTemporaryDir> dir;
};

void BackgroundTest::init()
{
    t = TestWindow::create();
    QVERIFY(t);
    canvas = t->control<PictureBox>("图片框1");
    QVERIFY(canvas);
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
}

QString BackgroundTest::file(const QString &name, const QByteArray &bytes)
{
    const QString path = dir->filePath(name);
    if (!writeFile(path, bytes))
        qWarning("cannot write %s", qPrintable(path));
    return path;
}

void BackgroundTest::choose(const std::optional<QString> &answer)
{
    t->platform.fileAnswers.push_back(answer);
    t->control<QAbstractButton>("按钮1")->click();
}

void BackgroundTest::clearCaptions()
{
    t->control<TextOverlay>("文字8")->setCaption(QString());
    t->control<TextOverlay>("文字7")->setCaption(QString());
}

void BackgroundTest::setBackgroundByPicker(std::uint32_t colour)
{
    auto *picker = t->control<ColourPicker>("颜色选择器1");
    QVERIFY(picker);
    picker->setColour(colour);
    emit picker->colourChanged(colour);
}

void BackgroundTest::firstCancelLeavesNoPicture()
{
    const QImage before = canvas->snapshot();
    choose(std::nullopt);
    QVERIFY(!canvas->hasPicture());
    QCOMPARE(t->platform.filePreselections, QStringList{QString()});
    QVERIFY(t->platform.readPaths.empty());
    QVERIFY(t->platform.messages.empty());
    QCOMPARE(canvas->snapshot(), before);
}

void BackgroundTest::cancelKeepsPictureWithoutRereading()
{
    const QString path = file(QStringLiteral("green.bmp"), encoded(QSize(102, 102), kGreen, "BMP"));
    choose(path);
    QVERIFY(canvas->hasPicture());
    const QImage shown = canvas->snapshot();

    // Cancelling must not touch the picture, even when its file has changed
    // or gone since: the user did not ask for anything.
    QVERIFY(writeFile(path, encoded(QSize(10, 10), kRed, "BMP")));
    choose(std::nullopt);
    QVERIFY(QFile::remove(path));
    choose(std::nullopt);

    QCOMPARE(t->platform.readPaths, std::vector<QString>{path});
    QCOMPARE(t->platform.filePreselections, (QStringList{QString(), path, path}));
    QCOMPARE(t->control<CommonDialog>("通用对话框1")->fileName(), path);
    QCOMPARE(canvas->snapshot(), shown);
}

void BackgroundTest::contentDecidesFormat_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes"); // null: the file does not exist
    QTest::addColumn<bool>("shown");

    QTest::newRow("bitmap named .jpg") << "photo.jpg" << encoded(QSize(102, 102), kRed, "BMP") << true;
    QTest::newRow("JPEG named .bmp") << "photo.bmp" << encoded(QSize(102, 102), kRed, "JPG") << true;
    QTest::newRow("GIF named .png") << "still.png" << makeGif(QSize(102, 102), {{QRect(0, 0, 102, 102), 0, 0}})
                                    << true;
    QTest::newRow("PNG named .bmp") << "picture.bmp" << encoded(QSize(102, 102), kRed, "PNG") << false;
    QTest::newRow("5 bytes") << "short.bmp" << QByteArray("BM\0\0\0", 5) << false;
    QTest::newRow("empty file") << "empty.bmp" << QByteArray("") << false;
    QTest::newRow("text") << "notes.gif" << QByteArray("GIF87 is not how this starts") << false;
    QTest::newRow("missing file") << "gone.bmp" << QByteArray() << false;
}

void BackgroundTest::contentDecidesFormat()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, shown);
    clearCaptions();

    // Start from a blue picture: whatever comes next replaces it.
    choose(file(QStringLiteral("blue.bmp"), encoded(QSize(102, 102), kBlue, "BMP")));
    QVERIFY(canvas->hasPicture());

    const QString path = bytes.isNull() ? dir->filePath(name) : file(name, bytes);
    choose(path);
    QCOMPARE(canvas->hasPicture(), shown);
    QVERIFY(!canvas->isAnimated());
    const QImage snap = canvas->snapshot();
    if (shown) {
        const QRgb centre = snap.pixel(51, 51);
        QVERIFY2(qRed(centre) > 200 && qGreen(centre) < 50 && qBlue(centre) < 50,
                 qPrintable(QString::number(centre, 16)));
    } else {
        QCOMPARE(countPixelsNot(snap, kGrey), 0);
        QVERIFY(canvas->pictureRect().isNull());
    }
    QVERIFY(t->platform.messages.empty());
}

void BackgroundTest::placementOnCanvas_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QRect>("expected");

    QTest::newRow("50 x 40 unscaled") << encoded(QSize(50, 40), kGreen, "BMP") << QRect(26, 31, 50, 40);
    QTest::newRow("102 x 102 exactly") << encoded(QSize(102, 102), kGreen, "BMP") << QRect(0, 0, 102, 102);
    // 25 rows of background above, 27 below.
    QTest::newRow("200 x 99") << encoded(QSize(200, 99), kGreen, "BMP") << QRect(0, 25, 102, 50);
    QTest::newRow("100 x 300") << encoded(QSize(100, 300), kGreen, "BMP") << QRect(34, 0, 34, 102);
    // A JPEG may be shrunk while decoding; its placement must not move.
    QTest::newRow("640 x 480 JPEG") << encoded(QSize(640, 480), kGreen, "JPG") << QRect(0, 13, 102, 76);
    QTest::newRow("200 x 99 JPEG") << encoded(QSize(200, 99), kGreen, "JPG") << QRect(0, 25, 102, 50);
}

void BackgroundTest::placementOnCanvas()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QRect, expected);
    clearCaptions();
    choose(file(QStringLiteral("picture"), bytes));
    // A 200 x 99 JPEG is shrunk in the DCT to 125 x 62, whose own fit would
    // be centred a row lower: placement must go by the stored size.
    QCOMPARE(canvas->pictureRect(), expected);

    // Every pixel inside is the picture's colour, every one outside grey
    // (JPEG's own rounding allowed for).
    const QImage snap = canvas->snapshot();
    int wrong = 0;
    for (int y = 0; y < 102; ++y)
        for (int x = 0; x < 102; ++x) {
            const QRgb want = expected.contains(x, y) ? kGreen : kGrey;
            const QRgb got = snap.pixel(x, y);
            if (qAbs(qRed(got) - qRed(want)) + qAbs(qGreen(got) - qGreen(want)) + qAbs(qBlue(got) - qBlue(want)) > 12)
                ++wrong;
        }
    QCOMPARE(wrong, 0);
}

void BackgroundTest::colourUnderFullPictureChangesNothing()
{
    clearCaptions();
    const QString path = file(QStringLiteral("full.bmp"), encoded(QSize(102, 102), kGreen, "BMP"));
    choose(path);
    const QImage covered = canvas->snapshot();

    setBackgroundByPicker(colourRef(0, 0, 255));
    QCOMPARE(canvas->backgroundColour(), colourRef(0, 0, 255));
    QCOMPARE(canvas->snapshot(), covered);

    // With the picture gone (an empty file chosen), the colour shows.
    choose(file(QStringLiteral("empty"), QByteArray("")));
    QCOMPARE(countPixelsNot(canvas->snapshot(), kBlue), 0);

    // Confirming grey gives back the starting canvas.
    setBackgroundByPicker(colourRef(128, 128, 128));
    QCOMPARE(countPixelsNot(canvas->snapshot(), kGrey), 0);
}

void BackgroundTest::iconShowsBackgroundThroughTransparency()
{
    clearCaptions();
    setBackgroundByPicker(colourRef(0, 0, 255));
    choose(file(QStringLiteral("app.ico"), makeIcon()));
    QVERIFY(canvas->hasPicture());
    QCOMPARE(canvas->pictureRect(), QRect(43, 43, 16, 16));

    const QImage snap = canvas->snapshot();
    QCOMPARE(countPixelsNot(snap, kBlue, QRect(43, 43, 8, 16)), 0);
    QCOMPARE(countPixelsNot(snap, kRed, QRect(51, 43, 8, 16)), 0);
    QCOMPARE(countPixelsNot(snap, kBlue), 8 * 16);
}

void BackgroundTest::animationPlaysAndLoops()
{
    clearCaptions();
    const QRect whole(0, 0, 102, 102);
    choose(file(QStringLiteral("rgb.gif"),
                makeGif(QSize(102, 102), {{whole, 0, 2}, {whole, 1, 2}, {QRect(0, 0, 51, 102), 2, 2}})));
    QVERIFY(canvas->isAnimated());
    QVERIFY(canvas->isPlaying());
    QCOMPARE(canvas->pictureRect(), whole);

    // Frame 3 covers only the left half of frame 2, which stays on the right.
    const QRgb left[] = {kRed, kGreen, kBlue};
    const QRgb right[] = {kRed, kGreen, kGreen};
    for (int loop = 0; loop < 2; ++loop) {
        for (std::size_t frame : {std::size_t(1), std::size_t(2), std::size_t(0)}) {
            QTRY_COMPARE_WITH_TIMEOUT(canvas->currentFrame(), frame, 2000);
            // Nothing runs between the check and the snapshot, so they agree.
            const QImage snap = canvas->snapshot();
            QCOMPARE(countPixelsNot(snap, left[frame], QRect(0, 0, 51, 102)), 0);
            QCOMPARE(countPixelsNot(snap, right[frame], QRect(51, 0, 51, 102)), 0);
        }
    }
    // After the first loop the frames come from the cache.
    QVERIFY(canvas->player()->playsFromCache());
}

void BackgroundTest::animationPausesWhileWindowMinimisedOrHidden()
{
    const QRect whole(0, 0, 102, 102);
    choose(file(QStringLiteral("rg.gif"), makeGif(QSize(102, 102), {{whole, 0, 2}, {whole, 1, 2}})));
    QVERIFY(canvas->isPlaying());

    for (bool minimise : {true, false}) {
        if (minimise)
            t->window->showMinimized();
        else
            t->window->hide();
        QVERIFY(!canvas->isPlaying());
        const std::size_t frozen = canvas->currentFrame();
        QTest::qWait(150);
        QCOMPARE(canvas->currentFrame(), frozen);

        if (minimise)
            t->window->showNormal();
        else
            t->window->show();
        QVERIFY(canvas->isPlaying());
        QTRY_VERIFY_WITH_TIMEOUT(canvas->currentFrame() != frozen, 2000);
    }
}

void BackgroundTest::newPictureStopsAnimation()
{
    clearCaptions();
    const QRect whole(0, 0, 102, 102);
    choose(file(QStringLiteral("rg.gif"), makeGif(QSize(102, 102), {{whole, 0, 2}, {whole, 1, 2}})));
    QVERIFY(canvas->isAnimated());

    choose(file(QStringLiteral("blue.bmp"), encoded(QSize(102, 102), kBlue, "BMP")));
    QVERIFY(!canvas->isAnimated());
    QVERIFY(!canvas->isPlaying());
    QTest::qWait(100);
    QCOMPARE(countPixelsNot(canvas->snapshot(), kBlue), 0);

    // An animation replaced by a file that does not decode leaves nothing.
    choose(file(QStringLiteral("rg2.gif"), makeGif(QSize(102, 102), {{whole, 0, 2}, {whole, 1, 2}})));
    QVERIFY(canvas->isPlaying());
    choose(file(QStringLiteral("bad.gif"), QByteArray("GIF89a\0\0", 8)));
    QVERIFY(!canvas->isAnimated());
    QVERIFY(!canvas->hasPicture());
    QTest::qWait(100);
    QCOMPARE(countPixelsNot(canvas->snapshot(), kGrey), 0);
}

void BackgroundTest::zeroDelayShowsFiftyMilliseconds()
{
    // A frame without a delay must not spin the timer.
    const QRect whole(0, 0, 102, 102);
    choose(file(QStringLiteral("fast.gif"), makeGif(QSize(102, 102), {{whole, 0, 0}, {whole, 1, 0}})));
    QVERIFY(canvas->isPlaying());
    QCOMPARE(canvas->player()->currentDelay(), PicturePlayer::kZeroDelayMs);
}

void BackgroundTest::realAnimationsLoopFromCache_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QList<int>>("delays");

    const QList<int> second{1000, 1000, 1000, 1000};
    for (const char *name : {"animated_loop", "animated_loop_interlaced", "animated_noloop",
                             "animated_transparent_firstframerestoreprev_loop",
                             "animated_transparent_frame_norestore_loop",
                             "animated_transparent_frame_restorebackground_loop",
                             "animated_transparent_frame_restoreprev_loop", "animated_transparent_loop",
                             "animated_transparent_restoreprev_loop"})
        QTest::newRow(name) << QString::fromLatin1(name) << second;
    // Its first frame lies wholly off the logical screen and is left out.
    QTest::newRow("animated_transparent_loop_frames_out_of_bounds")
        << QStringLiteral("animated_transparent_loop_frames_out_of_bounds") << QList<int>{1000, 1000, 1000};
    QTest::newRow("animated_loop_variable_delay") << QStringLiteral("animated_loop_variable_delay")
                                                  << QList<int>{1000, 1000, 100, 1000};
}

void BackgroundTest::realAnimationsLoopFromCache()
{
    QFETCH(QString, name);
    QFETCH(QList<int>, delays);
    QFile gif(QStringLiteral(TILVANE_TESTIMAGES "/gif-test-suite/gifs/") + name + QStringLiteral(".gif"));
    QVERIFY(gif.open(QIODevice::ReadOnly));
    canvas->setPictureBytes(gif.readAll());
    PicturePlayer *player = canvas->player();
    QVERIFY(player);
    QCOMPARE(player->frameCount(), std::size_t(delays.size()));

    // Stepped by hand rather than by the clock. The second loop comes from
    // the cache and must look exactly like the composed first one, also for
    // a file that asks to be played only once.
    QList<QImage> firstLoop;
    for (int frame = 0; frame < delays.size(); ++frame) {
        if (frame > 0)
            player->advance();
        QCOMPARE(player->currentDelay(), delays[frame]);
        firstLoop.append(canvas->snapshot());
    }
    QVERIFY(player->playsFromCache());
    for (int frame = 0; frame < delays.size(); ++frame) {
        player->advance();
        QCOMPARE(canvas->currentFrame(), std::size_t(frame));
        QCOMPARE(canvas->snapshot(), firstLoop[frame]);
    }
}

void BackgroundTest::wholeFileReading_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray text("twelve bytes");
    QTest::newRow("ordinary") << "file" << qint64(100) << text;
    QTest::newRow("exactly the limit") << "file" << qint64(12) << text;
    QTest::newRow("over the limit") << "file" << qint64(11) << QByteArray();
    QTest::newRow("empty name") << "" << qint64(100) << QByteArray();
    QTest::newRow("missing") << "missing" << qint64(100) << QByteArray();
    QTest::newRow("directory") << "directory" << qint64(100) << QByteArray();
    QTest::newRow("empty file") << "empty" << qint64(100) << QByteArray();
    // Opening a pipe with no writer would wait for ever.
    QTest::newRow("named pipe") << "fifo" << qint64(100) << QByteArray();
}

void BackgroundTest::wholeFileReading()
{
    QFETCH(QString, kind);
    QFETCH(qint64, limit);
    QFETCH(QByteArray, expected);

    QString path;
    if (kind == QLatin1String("file"))
        path = file(QStringLiteral("text"), "twelve bytes");
    else if (kind == QLatin1String("missing"))
        path = dir->filePath(QStringLiteral("nothing here"));
    else if (kind == QLatin1String("directory"))
        path = dir->path();
    else if (kind == QLatin1String("empty"))
        path = file(QStringLiteral("empty"), QByteArray());
    else if (kind == QLatin1String("fifo")) {
        path = dir->filePath(QStringLiteral("pipe"));
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    }
    QCOMPARE(readWholeFileResponsively(path, limit), expected);
}

void BackgroundTest::largeFileKeepsEventsFlowing()
{
    // Several chunks long, with content that shows any misplaced chunk.
    QByteArray big(5 * 1024 * 1024 + 17, Qt::Uninitialized);
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = char((i * 131 + i / 4096) & 0xFF);
    const QString path = file(QStringLiteral("big.bin"), big);

    bool timerRan = false;
    QTimer::singleShot(0, this, [&timerRan] { timerRan = true; });
    QCOMPARE(readWholeFileResponsively(path, QtPlatform::kMaxFileBytes), big);
    QVERIFY(timerRan);
}

QTEST_MAIN(BackgroundTest)
#include "test_background.moc"
