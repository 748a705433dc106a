// The overlay font: points and heights, the chooser's values through the two
// font buttons, Cancel, what the canvas shows afterwards, and the desktop
// font dialog itself.

#include "app/Controls.h"
#include "compose/FontMembers.h"
#include "compose/FontRecord.h"
#include "compose/PictureBox.h"
#include "compose/TextOverlay.h"
#include "platform/QtPlatform.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <climits>
#include <functional>

using namespace tilvane;
using tilvane::test::TestWindow;

namespace {

const QRgb kCanvasGrey = qRgb(128, 128, 128);

FontDialogChoice dialogChoice(const QString &face, int height, int weight = 400, bool italic = false,
                              bool underline = false, bool strikeOut = false, std::uint32_t colour = 0)
{
    FontDialogChoice c;
    c.faceName = face;
    c.heightPixels = height;
    c.weight = weight;
    c.italic = italic;
    c.underline = underline;
    c.strikeOut = strikeOut;
    c.colour = colour;
    return c;
}

FontRecord recordOf(const TextOverlay *overlay)
{
    const auto bytes = overlay->fontRecord();
    return bytes ? FontRecord::parse(*bytes).value_or(FontRecord{}) : FontRecord{};
}

CommonDialog::FontValues chooserValues(const TestWindow &t)
{
    return t.control<CommonDialog>("通用对话框3")->fontValues();
}

void click(const TestWindow &t, const char *button)
{
    QTest::mouseClick(t.control<QAbstractButton>(button), Qt::LeftButton);
}

QImage canvasSnapshot(const TestWindow &t) { return t.control<PictureBox>("图片框1")->snapshot(); }

bool isInk(const QImage &image, int x, int y) { return (image.pixel(x, y) & 0xFFFFFF) != (kCanvasGrey & 0xFFFFFF); }

QRect inkBounds(const QImage &image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (isInk(image, x, y))
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

int longestInkRun(const QImage &image)
{
    int longest = 0;
    for (int y = 0; y < image.height(); ++y) {
        int run = 0;
        for (int x = 0; x < image.width(); ++x) {
            run = isInk(image, x, y) ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

// Runs the desktop font dialog; drive looks at it and changes it, and
// returns whether to press OK. The dialog is always closed afterwards.
std::optional<FontDialogChoice> runDesktopDialog(QtPlatform &platform, const FontDialogRequest &request,
                                                 const std::function<bool(QDialog &)> &drive)
{
    QWidget owner;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        const bool accept = drive(*dialog);
        if (accept) {
            if (auto *box = dialog->findChild<QDialogButtonBox *>())
                box->button(QDialogButtonBox::Ok)->click();
        }
        if (dialog->isVisible())
            dialog->reject();
    });
    return platform.chooseFont(&owner, request);
}

} // namespace

class FontTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { tilvane::test::initApplication(); }

    void pointsToHeight_data();
    void pointsToHeight();
    void heightToPoints_data();
    void heightToPoints();
    void choiceReachesOverlay_data();
    void choiceReachesOverlay();
    void editsKeepOtherFields_data();
    void editsKeepOtherFields();
    void cancelChangesNothing_data();
    void cancelChangesNothing();
    void chooserValuesCarryOver();
    void canvasShowsNewFont();
    void desktopDialogPreselectsAndReturnsChoice();
    void desktopDialogRefusesBadSizeAndCancels();
};

void FontTest::pointsToHeight_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("height");
    QTest::newRow("9 pt at 96") << 9 << 96 << -12;
    QTest::newRow("9 pt at 120") << 9 << 120 << -15;
    QTest::newRow("11 pt at 96 rounds up") << 11 << 96 << -15;
    QTest::newRow("10 pt at 96 rounds down") << 10 << 96 << -13;
    QTest::newRow("half away from zero") << 3 << 108 << -5;
    QTest::newRow("zero means no size") << 0 << 96 << 0;
    QTest::newRow("negative counts as zero") << -7 << 96 << 0;
    QTest::newRow("huge stays in range") << INT_MAX << 96 << -INT_MAX;
}

void FontTest::pointsToHeight()
{
    QFETCH(int, points);
    QFETCH(int, dpi);
    QFETCH(int, height);
    QCOMPARE(heightForPoints(points, dpi), height);
}

void FontTest::heightToPoints_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("points");
    QTest::newRow("-12 at 96") << -12 << 96 << 9;
    QTest::newRow("10.5 pt rounds to 11") << -14 << 96 << 11;
    QTest::newRow("9.75 pt rounds to 10") << -13 << 96 << 10;
    QTest::newRow("-15 at 120") << -15 << 120 << 9;
    QTest::newRow("cell height counts by size") << 16 << 96 << 12;
    QTest::newRow("no height") << 0 << 96 << 0;
    QTest::newRow("most negative height") << INT_MIN << 96 << 1610612736;
}

void FontTest::heightToPoints()
{
    QFETCH(int, height);
    QFETCH(int, dpi);
    QFETCH(int, points);
    QCOMPARE(pointsForHeight(height, dpi), points);
}

// OK on 按钮7: what the chooser keeps and what overlay 1's record becomes.
void FontTest::choiceReachesOverlay_data()
{
    QTest::addColumn<int>("dpi");
    QTest::addColumn<FontDialogChoice>("choice");
    QTest::addColumn<int>("keptSize");
    QTest::addColumn<QString>("keptFace");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("weight");
    QTest::addColumn<QString>("face");

    const QString song = QStringLiteral("宋体");
    const QString face31 = QString(31, QLatin1Char('F'));
    const QString face32 = QString(32, QLatin1Char('F'));
    const QString chinese15 = QString(15, QChar(0x5B57)); // 字, 30 GBK bytes
    const QString chinese16 = QString(16, QChar(0x5B57)); // 32 GBK bytes
    const QString hangul = QStringLiteral("한글");

    QTest::newRow("宋体 9 pt") << 96 << dialogChoice(song, -12) << 9 << song << -12 << 0 << song;
    QTest::newRow("10.5 pt kept as 11") << 96 << dialogChoice(song, -14) << 11 << song << -15 << 0 << song;
    QTest::newRow("9 pt at 120 dpi") << 120 << dialogChoice(song, -15) << 9 << song << -15 << 0 << song;
    QTest::newRow("no size") << 96 << dialogChoice(song, 0) << 0 << song << 0 << 0 << song;
    QTest::newRow("weight 600 is not bold") << 96 << dialogChoice(song, -12, 600) << 9 << song << -12 << 0 << song;
    QTest::newRow("weight 700") << 96 << dialogChoice(song, -12, 700) << 9 << song << -12 << 700 << song;
    QTest::newRow("weight 800") << 96 << dialogChoice(song, -12, 800) << 9 << song << -12 << 700 << song;
    QTest::newRow("weight 900") << 96 << dialogChoice(song, -12, 900) << 9 << song << -12 << 700 << song;
    QTest::newRow("empty face") << 96 << dialogChoice(QString(), -12) << 9 << QString() << -12 << 0 << song;
    QTest::newRow("31-byte face") << 96 << dialogChoice(face31, -12) << 9 << face31 << -12 << 0 << face31;
    QTest::newRow("32-byte face") << 96 << dialogChoice(face32, -12) << 9 << QString() << -12 << 0 << song;
    QTest::newRow("30 GBK bytes") << 96 << dialogChoice(chinese15, -12) << 9 << chinese15 << -12 << 0 << chinese15;
    QTest::newRow("32 GBK bytes") << 96 << dialogChoice(chinese16, -12) << 9 << QString() << -12 << 0 << song;
    QTest::newRow("not GBK") << 96 << dialogChoice(hangul, -12) << 9 << QString() << -12 << 0 << song;
}

void FontTest::choiceReachesOverlay()
{
    QFETCH(int, dpi);
    QFETCH(FontDialogChoice, choice);
    QFETCH(int, keptSize);
    QFETCH(QString, keptFace);
    QFETCH(int, height);
    QFETCH(int, weight);
    QFETCH(QString, face);

    auto t = TestWindow::create();
    QVERIFY(t);
    t->platform.dpiY = dpi;
    choice.colour = 0x000000FF;
    t->platform.fontAnswers.push_back(choice);
    auto *overlay = t->control<TextOverlay>("文字8");

    click(*t, "按钮7");

    QCOMPARE(t->platform.fontRequests.size(), size_t(1));
    const auto kept = chooserValues(*t);
    QCOMPARE(kept.size, keptSize);
    QCOMPARE(kept.faceName, keptFace);
    QCOMPARE(kept.bold, choice.weight >= 700);
    QCOMPARE(kept.colour, 0x000000FFu);

    const FontRecord record = recordOf(overlay);
    QCOMPARE(record.height, height);
    QCOMPARE(record.weight, weight);
    QCOMPARE(record.face(), face);
    QCOMPARE(record.faceBytes(), toGbk(face));
    // The font dialog's colour never reaches an overlay.
    QCOMPARE(overlay->textColour(), 0u);
}

// Each member edit writes only its own fields; the rest comes from the base:
// the stored record, else the default GUI font's description.
void FontTest::editsKeepOtherFields_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("overlay");
    QTest::addColumn<std::optional<QByteArray>>("stored");
    QTest::addColumn<bool>("baseIsStored");

    FontRecord unusual = songTiDefinitionRecord();
    unusual.width = 5;
    unusual.escapement = 450;
    unusual.orientation = 900;
    unusual.quality = 4;
    unusual.strikeOut = 1;
    QTest::newRow("overlay 1 as defined") << QStringLiteral("按钮7") << QStringLiteral("文字8")
                                          << std::optional<QByteArray>(songTiDefinitionRecord().serialise()) << true;
    QTest::newRow("overlay 1 unusual fields") << QStringLiteral("按钮7") << QStringLiteral("文字8")
                                              << std::optional<QByteArray>(unusual.serialise()) << true;
    QTest::newRow("overlay 1 short record") << QStringLiteral("按钮7") << QStringLiteral("文字8")
                                            << std::optional<QByteArray>(unusual.serialise().left(59)) << false;
    QTest::newRow("overlay 2 without record") << QStringLiteral("按钮8") << QStringLiteral("文字7")
                                              << std::optional<QByteArray>() << false;
}

void FontTest::editsKeepOtherFields()
{
    QFETCH(QString, button);
    QFETCH(QString, overlay);
    QFETCH(std::optional<QByteArray>, stored);
    QFETCH(bool, baseIsStored);

    auto t = TestWindow::create();
    QVERIFY(t);
    FontRecord gui;
    gui.height = -13;
    gui.width = 6;
    gui.weight = 400;
    gui.charSet = 1;
    gui.outPrecision = 4;
    gui.clipPrecision = 5;
    gui.quality = 3;
    gui.pitchAndFamily = 0x22;
    gui.setFaceBytes(QByteArrayLiteral("WenQuanYi Micro Hei"));
    t->platform.defaultGuiFont = gui.serialise();
    auto *target = t->window->control<TextOverlay>(overlay);
    target->setFontRecord(stored);
    t->platform.fontAnswers.push_back(dialogChoice(QStringLiteral("DejaVu Sans"), -16, 700, true, true, false));

    QTest::mouseClick(t->window->control<QAbstractButton>(button), Qt::LeftButton);

    FontRecord expected = baseIsStored ? *FontRecord::parse(*stored) : gui;
    expected.height = -16;
    expected.weight = 700;
    expected.italic = 1;
    expected.underline = 1;
    expected.strikeOut = 0;
    expected.setFaceBytes(QByteArrayLiteral("DejaVu Sans"));
    QVERIFY(target->fontRecord());
    QCOMPARE(target->fontRecord()->size(), 60);
    QCOMPARE(recordOf(target).serialise().toHex(' '), expected.serialise().toHex(' '));
}

// Cancel, or a dialog that cannot be shown (the same nullopt), leaves both
// the overlay and the chooser exactly as they were.
void FontTest::cancelChangesNothing_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("overlay");
    QTest::addColumn<bool>("chosenBefore");
    QTest::newRow("overlay 1, first use") << QStringLiteral("按钮7") << QStringLiteral("文字8") << false;
    QTest::newRow("overlay 2, first use") << QStringLiteral("按钮8") << QStringLiteral("文字7") << false;
    QTest::newRow("overlay 1, after a choice for 2") << QStringLiteral("按钮7") << QStringLiteral("文字8") << true;
}

void FontTest::cancelChangesNothing()
{
    QFETCH(QString, button);
    QFETCH(QString, overlay);
    QFETCH(bool, chosenBefore);

    auto t = TestWindow::create();
    QVERIFY(t);
    if (chosenBefore) {
        t->platform.fontAnswers.push_back(
            dialogChoice(QStringLiteral("DejaVu Serif"), -20, 900, true, true, true, 0x00FF8000));
        click(*t, "按钮8");
        QVERIFY(t->control<TextOverlay>("文字7")->fontRecord());
    }
    auto *target = t->window->control<TextOverlay>(overlay);
    const auto recordBefore = target->fontRecord();
    const auto valuesBefore = chooserValues(*t);
    const QImage canvasBefore = canvasSnapshot(*t);

    t->platform.fontAnswers.push_back(std::nullopt);
    QTest::mouseClick(t->window->control<QAbstractButton>(button), Qt::LeftButton);

    QCOMPARE(t->platform.fontRequests.size(), size_t(chosenBefore ? 2 : 1));
    QCOMPARE(target->fontRecord(), recordBefore);
    QVERIFY(chooserValues(*t) == valuesBefore);
    QCOMPARE(canvasSnapshot(*t), canvasBefore);
}

// One chooser serves both buttons: a font chosen for overlay 1 is what the
// dialog opens with for overlay 2, colour included.
void FontTest::chooserValuesCarryOver()
{
    auto t = TestWindow::create();
    QVERIFY(t);
    t->platform.fontAnswers.push_back(
        dialogChoice(QStringLiteral("DejaVu Sans"), -14, 800, true, true, true, 0x00123456));
    click(*t, "按钮7");

    // The first opening starts from nothing: no face, no size, no effects, black.
    const FontDialogRequest &first = t->platform.fontRequests.at(0);
    QCOMPARE(first.faceName, QString());
    QCOMPARE(first.heightPixels, 0);
    QVERIFY(!first.bold && !first.italic && !first.underline && !first.strikeOut);
    QCOMPARE(first.colour, 0u);

    t->platform.fontAnswers.push_back(std::nullopt);
    click(*t, "按钮8");
    const FontDialogRequest second = t->platform.fontRequests.at(1);
    QCOMPARE(second.faceName, QStringLiteral("DejaVu Sans"));
    QCOMPARE(second.heightPixels, -15); // 10.5 pt was kept as 11
    QVERIFY(second.bold && second.italic && second.underline && second.strikeOut);
    QCOMPARE(second.colour, 0x00123456u);
    QVERIFY(!t->control<TextOverlay>("文字7")->fontRecord());

    // Confirming the preselected font gives overlay 2 the same look as overlay 1.
    t->platform.fontAnswers.push_back(dialogChoice(second.faceName, second.heightPixels, 700, second.italic,
                                                   second.underline, second.strikeOut, second.colour));
    click(*t, "按钮8");
    const FontRecord one = recordOf(t->control<TextOverlay>("文字8"));
    const FontRecord two = recordOf(t->control<TextOverlay>("文字7"));
    for (const FontRecord &r : {one, two}) {
        QCOMPARE(r.height, -15);
        QCOMPARE(r.weight, 700);
        QCOMPARE(r.face(), QStringLiteral("DejaVu Sans"));
        QCOMPARE(int(r.italic) + int(r.underline) + int(r.strikeOut), 3);
    }
    QCOMPARE(t->control<TextOverlay>("文字7")->textColour(), 0u);
}

// The canvas pixels, not only the record: bigger glyphs, heavier strokes,
// and an underline running under the whole caption.
void FontTest::canvasShowsNewFont()
{
    auto t = TestWindow::create();
    QVERIFY(t);
    t->control<TextOverlay>("文字7")->setCaption(QString()); // overlay 1 alone on the canvas
    const QString face = QStringLiteral("宋体");

    const QRect small = inkBounds(canvasSnapshot(*t));
    QVERIFY(!small.isEmpty());

    const auto show = [&](const FontDialogChoice &choice) {
        t->platform.fontAnswers.push_back(choice);
        click(*t, "按钮7");
        return canvasSnapshot(*t);
    };
    const QImage regular = show(dialogChoice(face, -24));
    const QRect big = inkBounds(regular);
    QVERIFY2(big.height() >= small.height() * 3 / 2, qPrintable(QStringLiteral("ink %1 -> %2 rows")
                                                                     .arg(small.height())
                                                                     .arg(big.height())));
    QVERIFY(big.width() > small.width() * 3 / 2);
    QCOMPARE(big.topLeft().x() >= 32 && big.top() >= 33, true);

    const int regularInk = test::countPixelsNot(regular, kCanvasGrey);
    const int boldInk = test::countPixelsNot(show(dialogChoice(face, -24, 700)), kCanvasGrey);
    QVERIFY2(boldInk > regularInk * 11 / 10, qPrintable(QStringLiteral("%1 vs %2").arg(boldInk).arg(regularInk)));

    // The font dialog's red must not show either.
    const QImage underlined = show(dialogChoice(face, -24, 400, false, true, false, 0x000000FF));
    const QRect underlinedInk = inkBounds(underlined);
    QVERIFY(longestInkRun(regular) < big.width() * 6 / 10);
    QVERIFY2(longestInkRun(underlined) >= underlinedInk.width() * 9 / 10,
             qPrintable(QStringLiteral("run %1 of %2").arg(longestInkRun(underlined)).arg(underlinedInk.width())));
    for (int y = 0; y < underlined.height(); ++y)
        for (int x = 0; x < underlined.width(); ++x) {
            const QColor c = underlined.pixelColor(x, y);
            QVERIFY(c.red() <= c.green() + 8);
        }
}

void FontTest::desktopDialogPreselectsAndReturnsChoice()
{
    QtPlatform platform;
    const int dpi = platform.screenDpiY();
    FontDialogRequest request;
    request.faceName = QStringLiteral("DejaVu Sans");
    request.heightPixels = heightForPoints(12, dpi);
    request.bold = true;
    request.italic = true;
    request.underline = true;
    request.colour = 0x000000FF; // red

    QString face, style, colour;
    double points = 0;
    bool underline = false, strikeOut = true, allStorable = true;
    int faces = 0;
    const auto choice = runDesktopDialog(platform, request, [&](QDialog &dialog) {
        auto *faceList = dialog.findChild<QListWidget *>(QStringLiteral("faceList"));
        auto *styleList = dialog.findChild<QListWidget *>(QStringLiteral("styleList"));
        auto *sizeEdit = dialog.findChild<QLineEdit *>(QStringLiteral("sizeEdit"));
        auto *strikeOutBox = dialog.findChild<QCheckBox *>(QStringLiteral("strikeOutBox"));
        auto *underlineBox = dialog.findChild<QCheckBox *>(QStringLiteral("underlineBox"));
        auto *colourBox = dialog.findChild<QComboBox *>(QStringLiteral("colourBox"));
        if (!faceList || !styleList || !sizeEdit || !strikeOutBox || !underlineBox || !colourBox)
            return false;
        face = dialog.findChild<QLineEdit *>(QStringLiteral("faceEdit"))->text();
        style = styleList->currentItem() ? styleList->currentItem()->text() : QString();
        points = sizeEdit->text().toDouble();
        underline = underlineBox->isChecked();
        strikeOut = strikeOutBox->isChecked();
        colour = colourBox->currentText();
        faces = faceList->count();
        for (int i = 0; i < faceList->count(); ++i)
            allStorable = allStorable && storableFaceBytes(faceList->item(i)->text()).has_value()
                          && !faceList->item(i)->text().contains(QLatin1String(" ["));

        // The user picks another face, 五号, regular, strike-out, and blue.
        const auto other = faceList->findItems(QStringLiteral("DejaVu Serif"), Qt::MatchExactly);
        if (!other.isEmpty())
            faceList->setCurrentItem(other.first());
        sizeEdit->selectAll();
        sizeEdit->insert(QStringLiteral("五号"));
        styleList->setCurrentItem(styleList->findItems(QStringLiteral("常规"), Qt::MatchExactly).value(0));
        strikeOutBox->setChecked(true);
        const int blue = colourBox->findText(QStringLiteral("蓝色"));
        colourBox->setCurrentIndex(blue);
        emit colourBox->activated(blue);
        return true;
    });

    QVERIFY(faces > 0);
    QVERIFY(allStorable);
    QCOMPARE(face, QStringLiteral("DejaVu Sans"));
    QCOMPARE(style, QStringLiteral("粗斜体"));
    QVERIFY(std::abs(points - 12.0) < 0.5);
    QVERIFY(underline);
    QVERIFY(!strikeOut);
    QCOMPARE(colour, QStringLiteral("红色"));

    QVERIFY(choice);
    QCOMPARE(choice->faceName, QStringLiteral("DejaVu Serif"));
    QCOMPARE(choice->heightPixels, -int(std::lround(10.5 * dpi / 72.0)));
    QCOMPARE(choice->weight, 400);
    QVERIFY(!choice->italic);
    QVERIFY(choice->underline);
    QVERIFY(choice->strikeOut);
    QCOMPARE(choice->colour, 0x00FF0000u);
}

void FontTest::desktopDialogRefusesBadSizeAndCancels()
{
    QtPlatform platform;
    FontDialogRequest request; // nothing kept yet: starts from the owner's font
    request.colour = 0x00123456;
    QStringList refused, accepted;
    QString colour;
    const auto choice = runDesktopDialog(platform, request, [&](QDialog &dialog) {
        auto *sizeEdit = dialog.findChild<QLineEdit *>(QStringLiteral("sizeEdit"));
        auto *ok = dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
        colour = dialog.findChild<QComboBox *>(QStringLiteral("colourBox"))->currentText();
        if (ok->isEnabled())
            accepted << QStringLiteral("<preset>");
        for (const char *text : {"0", "abc", "1639", "nan", "", "10.5", "五号", "72"}) {
            sizeEdit->selectAll();
            sizeEdit->insert(QString::fromUtf8(text));
            (ok->isEnabled() ? accepted : refused) << QString::fromUtf8(text);
        }
        auto *faceEdit = dialog.findChild<QLineEdit *>(QStringLiteral("faceEdit"));
        faceEdit->selectAll();
        faceEdit->insert(QStringLiteral("No Such Face"));
        if (ok->isEnabled())
            accepted << QStringLiteral("<unknown face>");
        return false;
    });
    QCOMPARE(colour, QStringLiteral("自定义"));
    QCOMPARE(refused, (QStringList{"0", "abc", "1639", "nan", ""}));
    QCOMPARE(accepted, (QStringList{"<preset>", "10.5", "五号", "72"}));
    QVERIFY(!choice);
}

QTEST_MAIN(FontTest)
#include "test_font.moc"
