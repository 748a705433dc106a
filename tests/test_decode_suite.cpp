// The decoders against files written by other people's encoders: every BMP
// Suite file and every GIF of the GIF test suite decodes without a crash, the
// ones this program supports decode pixel-equal to ImageMagick, and GIF frames
// compose like the suite's reference frames.

#include "compose/decode/Picture.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QtTest>

using namespace tilvane::decode;

namespace {

const QString kImages = QStringLiteral(TILVANE_TESTIMAGES);

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

Bytes span(const QByteArray &data)
{
    return {reinterpret_cast<const std::uint8_t *>(data.constData()), static_cast<std::size_t>(data.size())};
}

bool haveConvert()
{
    return !QStandardPaths::findExecutable(QStringLiteral("convert")).isEmpty();
}

// ImageMagick's decode as packed 8-bit RGB, or empty when it fails.
QByteArray magickRgb(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("convert"), arguments + QStringList{"-depth", "8", "rgb:-"});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return process.readAllStandardOutput();
}

QByteArray packedRgb(const QImage &image)
{
    QByteArray out;
    out.reserve(qsizetype(image.width()) * image.height() * 3);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            out.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
        }
    return out;
}

// First differing pixel as text, for a readable failure.
QString firstDifference(const QByteArray &ours, const QByteArray &theirs, int width)
{
    for (qsizetype i = 0; i + 2 < std::min(ours.size(), theirs.size()); i += 3)
        if (ours.mid(i, 3) != theirs.mid(i, 3))
            return QString("pixel %1,%2: ours %3, theirs %4")
                .arg(i / 3 % width)
                .arg(i / 3 / width)
                .arg(QString::fromLatin1(ours.mid(i, 3).toHex()), QString::fromLatin1(theirs.mid(i, 3).toHex()));
    return QString("sizes %1 and %2").arg(ours.size()).arg(theirs.size());
}

// The files of the suite within the supported set: uncompressed 1, 4, 8, 24
// and 32 bits, core and Windows headers. Everything else must give no picture.
const QSet<QString> kSupportedBmps = {
    "g/pal1.bmp", "g/pal1bg.bmp", "g/pal1wb.bmp", "g/pal4.bmp", "g/pal4gs.bmp", "g/pal8-0.bmp", "g/pal8.bmp",
    "g/pal8gs.bmp", "g/pal8nonsquare.bmp", "g/pal8os2.bmp", "g/pal8topdown.bmp", "g/pal8v4.bmp", "g/pal8v5.bmp",
    "g/pal8w124.bmp", "g/pal8w125.bmp", "g/pal8w126.bmp", "g/rgb24.bmp", "g/rgb24pal.bmp", "g/rgb32.bmp",
    "q/pal1p1.bmp", "q/pal8offs.bmp", "q/pal8os2-hs.bmp", "q/pal8os2-sz.bmp", "q/pal8os2sp.bmp",
    "q/pal8os2v2-40sz.bmp", "q/pal8oversizepal.bmp", "q/rgb24largepal.bmp", "q/rgb24lprof.bmp", "q/rgb24prof.bmp",
    "q/rgb24prof2.bmp", "q/rgb32fakealpha.bmp",
    // Damaged only in fields a reader need not trust (sizes, densities, the
    // colour count), or with indices past the palette, which show black.
    "b/badbitssize.bmp", "b/baddens1.bmp", "b/baddens2.bmp", "b/badfilesize.bmp", "b/badpalettesize.bmp",
    "b/pal8badindex.bmp"};

// Files ImageMagick will not read, and the good file with the same picture.
const QHash<QString, QString> kSamePictureAs = {
    {"q/pal8os2-hs.bmp", "g/pal8.bmp"},       {"q/pal8os2-sz.bmp", "g/pal8.bmp"},
    {"q/pal8os2v2-40sz.bmp", "g/pal8.bmp"},   {"q/pal8oversizepal.bmp", "g/pal8.bmp"},
    {"b/badpalettesize.bmp", "g/pal8.bmp"},   {"b/badfilesize.bmp", "g/pal1.bmp"},
};

} // namespace

class TestDecodeSuite : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void bmpSuite_data();
    void bmpSuite();
    void gifSuite_data();
    void gifSuite();
    void otherEncoders_data();
    void otherEncoders();
};

void TestDecodeSuite::initTestCase()
{
    if (!QDir(kImages).exists())
        QSKIP("the shared test images are not there");
}

void TestDecodeSuite::bmpSuite_data()
{
    QTest::addColumn<QString>("name");
    int listed = 0;
    for (const char *folder : {"g", "q", "b"}) {
        const QDir dir(kImages + "/bmpsuite/" + folder);
        for (const QString &file : dir.entryList({"*.bmp"}, QDir::Files, QDir::Name)) {
            const QString name = QString(folder) + "/" + file;
            QTest::newRow(qPrintable(name)) << name;
            ++listed;
        }
    }
    QVERIFY2(listed > 0, "no BMP Suite files found");
}

void TestDecodeSuite::bmpSuite()
{
    QFETCH(QString, name);
    const QString path = kImages + "/bmpsuite/" + name;
    const QByteArray bytes = readAll(path);
    QVERIFY(!bytes.isEmpty());
    const DecodedPicture picture = decodePicture(span(bytes));
    QCOMPARE(!picture.isNull(), kSupportedBmps.contains(name));
    if (picture.isNull())
        return;
    QCOMPARE(picture.still.format(), QImage::Format_RGB32);
    if (kSamePictureAs.contains(name)) {
        const QByteArray good = readAll(kImages + "/bmpsuite/" + kSamePictureAs.value(name));
        QCOMPARE(picture.still, decodeBmp(span(good)));
    }
    if (!haveConvert())
        QSKIP("ImageMagick's convert is not installed");
    const QByteArray theirs = magickRgb({path});
    if (theirs.isEmpty()) {
        // Only the files checked against a good twin above may be unreadable there.
        QVERIFY(kSamePictureAs.contains(name) || name == "b/pal8badindex.bmp");
        return;
    }
    const QByteArray ours = packedRgb(picture.still);
    QVERIFY2(ours == theirs, qPrintable(firstDifference(ours, theirs, picture.still.width())));
}

void TestDecodeSuite::gifSuite_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("firstReference"); // the reference frame our frame 0 matches
    const QDir dir(kImages + "/gif-test-suite/gifs");
    const QStringList files = dir.entryList({"*.gif"}, QDir::Files, QDir::Name);
    QVERIFY2(!files.isEmpty(), "no GIF test suite files found");
    for (const QString &file : files) {
        const QString base = QFileInfo(file).completeBaseName();
        int references = int(QDir(dir.filePath("frames")).entryList({base + "-*.png"}).size());
        if (references == 0)
            references = 1; // a still has one reference frame named like the file
        // Its first frame lies wholly outside the screen and is dropped.
        const int first = base == "animated_transparent_loop_frames_out_of_bounds" ? 1 : 0;
        QTest::newRow(qPrintable(file)) << file << references - first << first;
    }
}

void TestDecodeSuite::gifSuite()
{
    QFETCH(QString, name);
    QFETCH(int, frames);
    QFETCH(int, firstReference);
    const QString dir = kImages + "/gif-test-suite/gifs/";
    const QByteArray bytes = readAll(dir + name);
    const auto animation = decodeGif(span(bytes));
    QVERIFY(animation);
    QCOMPARE(int(animation->frames.size()), frames);
    const DecodedPicture picture = decodePicture(span(bytes));
    QCOMPARE(bool(picture.animation), frames > 1);

    // The reference frames start from a transparent screen where this program
    // starts from white, so their transparent pixels are white here. They
    // clear a disposal-2 frame's area to transparent where this program puts
    // the earlier contents back: frames after one differ by design and are
    // not compared.
    const QString base = QFileInfo(name).completeBaseName();
    GifComposer composer(animation);
    for (int i = 0; i < frames; ++i) {
        const QString reference = frames == 1 && firstReference == 0
            ? dir + "frames/" + base + ".png"
            : dir + "frames/" + base + "-" + QString::number(i + firstReference) + ".png";
        QImage expected = QImage(reference).convertToFormat(QImage::Format_ARGB32);
        QVERIFY2(!expected.isNull(), qPrintable(reference));
        for (int y = 0; y < expected.height(); ++y)
            for (int x = 0; x < expected.width(); ++x)
                if (qAlpha(expected.pixel(x, y)) == 0)
                    expected.setPixel(x, y, qRgb(255, 255, 255));
        const QImage &ours = composer.compose(std::size_t(i));
        QCOMPARE(ours.size(), expected.size());
        const QByteArray a = packedRgb(ours), b = packedRgb(expected);
        QVERIFY2(a == b, qPrintable(QString("frame %1: ").arg(i) + firstDifference(a, b, ours.width())));
        if (animation->frames[std::size_t(i)].disposal == 2)
            break;
    }

    // The still is the first frame on white, as ImageMagick flattens it.
    if (!haveConvert())
        QSKIP("ImageMagick's convert is not installed");
    const QByteArray theirs = magickRgb({dir + name + "[0]", "-background", "white", "-flatten"});
    QVERIFY(!theirs.isEmpty());
    if (firstReference != 0)
        return; // ImageMagick's frame 0 is the dropped one
    const QByteArray ours = packedRgb(picture.still);
    QVERIFY2(ours == theirs, qPrintable(firstDifference(ours, theirs, picture.still.width())));
}

void TestDecodeSuite::otherEncoders_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("compare"); // with ImageMagick's flattened decode
    QTest::newRow("8-bit pcx") << "im-8bit.pcx" << QSize(40, 24) << true;
    QTest::newRow("interlaced gif") << "im-interlaced.gif" << QSize(40, 24) << true;
    QTest::newRow("progressive jpeg") << "progressive.jpg" << QSize(40, 24) << true;
    QTest::newRow("greyscale jpeg") << "im-grey.jpg" << QSize(40, 24) << true;
    QTest::newRow("jpeg without subsampling") << "no-subsampling.jpg" << QSize(40, 24) << true;
    // No entry is 32 wide with 16 or more colours (true-colour entries say
    // 0), so the last one, 16 square, is shown.
    QTest::newRow("icon of three sizes") << "im-multi.ico" << QSize(16, 16) << false;
    QTest::newRow("cursor of three sizes") << "im-multi.cur" << QSize(16, 16) << false;
    QTest::newRow("32-bit icon with alpha") << "im-alpha32.ico" << QSize(32, 32) << false;
}

// Small files written by other encoders, kept with the decoder fixtures.
void TestDecodeSuite::otherEncoders()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QFETCH(bool, compare);
    const QString path = QStringLiteral(TILVANE_FIXTURES) + "/decode/" + name;
    const QByteArray bytes = readAll(path);
    QVERIFY(!bytes.isEmpty());
    const DecodedPicture picture = decodePicture(span(bytes));
    QCOMPARE(picture.still.size(), size);
    if (picture.still.hasAlphaChannel()) {
        // The alpha icon was written at half opacity throughout.
        const int alpha = qAlpha(picture.still.pixel(5, 5));
        QVERIFY2(name != "im-alpha32.ico" || std::abs(alpha - 128) <= 1, qPrintable(QString::number(alpha)));
    }
    if (!compare)
        return;
    if (!haveConvert())
        QSKIP("ImageMagick's convert is not installed");
    const QByteArray theirs = magickRgb({path + "[0]", "-background", "white", "-flatten"});
    const QByteArray ours = packedRgb(picture.still);
    QVERIFY2(ours == theirs, qPrintable(firstDifference(ours, theirs, picture.still.width())));
}

QTEST_MAIN(TestDecodeSuite)
#include "test_decode_suite.moc"
