// The colour picker and its palette popup: opening, browsing, confirming and
// cancelling, the colour dialog behind "其它颜色...", placement on the screen,
// and that the popup keeps its keys away from the main window.

#include "compose/ColourPicker.h"
#include "compose/ColourPopup.h"
#include "compose/Palette.h"
#include "testsupport.h"

#include <QApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

using namespace tilvane;
using tilvane::test::TestWindow;

namespace {

constexpr int kNone = ColourPopup::kNoItem;
constexpr int kOther = ColourPopup::kOtherItem;
constexpr std::uint32_t kRed = 0x0000FFu;      // 红色, index 12
constexpr std::uint32_t kNotInPalette = 0x123456u;

std::uint32_t paletteColour(int index) { return colourPalette()[size_t(index)].colour; }

// A picker alone in a shown top-level widget, its dialog answered by a
// scripted platform.
struct Fixture {
    QWidget host;
    ColourPicker *picker = nullptr;
    ScriptedPlatform platform;

    explicit Fixture(QPoint place = {100, 100}, QSize size = {40, 16})
    {
        host.setGeometry(QRect(place, QSize(size.width() + 20, size.height() + 20)));
        picker = new ColourPicker(&host);
        picker->setGeometry(QRect(QPoint(10, 10), size));
        picker->setColourDialog(
            [this](QWidget *owner, std::optional<std::uint32_t> preset) { return platform.chooseColour(owner, preset); });
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
    }

    ColourPopup *open()
    {
        picker->openPopup();
        return picker->popup();
    }
};

// Optional colours travel through the data tables as qint64, -1 for none.
qint64 toCell(std::optional<std::uint32_t> value) { return value ? qint64(*value) : -1; }
std::optional<std::uint32_t> fromCell(qint64 value)
{
    return value < 0 ? std::nullopt : std::optional(std::uint32_t(value));
}

} // namespace

class ColourPickerTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { tilvane::test::initApplication(); }
    void cleanup();

    void paletteColoursAreBlueGreenRed_data();
    void paletteColoursAreBlueGreenRed();
    void keyboardNavigation_data();
    void keyboardNavigation();
    void pointerBrowsing();
    void closing_data();
    void closing();
    void otherColours_data();
    void otherColours();
    void sunkenItemFollowsStartingColour();
    void onlyTheMouseOpens_data();
    void onlyTheMouseOpens();
    void placement_data();
    void placement();
    void opensBelowPickerAndStaysOnScreen();
    void escapeInPopupLeavesMainWindowOpen();
    void toolTipNamesColour();
    void faceShowsColourUnlessDisabled_data();
    void faceShowsColourUnlessDisabled();
};

void ColourPickerTest::cleanup()
{
    while (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
}

void ColourPickerTest::paletteColoursAreBlueGreenRed_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");
    QTest::addColumn<uint>("colour");
    QTest::newRow("黑色") << 0 << QStringLiteral("黑色") << 0x000000u;
    QTest::newRow("藏青 is blue 128") << 1 << QStringLiteral("藏青") << 0x800000u;
    QTest::newRow("红色") << 12 << QStringLiteral("红色") << 0x0000FFu;
    QTest::newRow("藏蓝 88,48,224") << 17 << QStringLiteral("藏蓝") << 0xE03058u;
    QTest::newRow("紫色 144,0,255") << 24 << QStringLiteral("紫色") << 0xFF0090u;
    QTest::newRow("深灰, the last") << 31 << QStringLiteral("深灰") << 0x606060u;
}

void ColourPickerTest::paletteColoursAreBlueGreenRed()
{
    QFETCH(int, index);
    QFETCH(QString, name);
    QFETCH(uint, colour);
    QCOMPARE(paletteColourName(index), name);
    QCOMPARE(paletteColour(index), colour);
    // Each colour is in the palette once, so the sunken box is never ambiguous.
    QCOMPARE(paletteIndexOf(colour), index);
}

void ColourPickerTest::keyboardNavigation_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("to");
    const auto row = [](const char *name, int from, Qt::Key key, int to) { QTest::newRow(name) << from << int(key) << to; };
    row("none left", kNone, Qt::Key_Left, kOther);
    row("none right", kNone, Qt::Key_Right, kOther);
    row("none up", kNone, Qt::Key_Up, kOther);
    row("none down", kNone, Qt::Key_Down, kOther);
    row("right within row", 0, Qt::Key_Right, 1);
    row("right wraps to next row", 6, Qt::Key_Right, 7);
    row("left wraps to previous row", 7, Qt::Key_Left, 6);
    row("left before the first", 0, Qt::Key_Left, kOther);
    row("right after the last", 31, Qt::Key_Right, kOther);
    row("down a row", 3, Qt::Key_Down, 10);
    row("up a row", 10, Qt::Key_Up, 3);
    row("up from the first row", 6, Qt::Key_Up, kOther);
    row("down row 4 col 1", 21, Qt::Key_Down, 28);
    row("down row 4 col 4", 24, Qt::Key_Down, 31);
    row("down row 4 col 5, empty below", 25, Qt::Key_Down, kOther);
    row("down row 4 col 6, empty below", 26, Qt::Key_Down, kOther);
    row("down row 4 col 7, empty below", 27, Qt::Key_Down, kOther);
    row("down from the last row", 28, Qt::Key_Down, kOther);
    row("up from the last row", 31, Qt::Key_Up, 24);
    row("entry left", kOther, Qt::Key_Left, 31);
    row("entry up", kOther, Qt::Key_Up, 31);
    row("entry right", kOther, Qt::Key_Right, 0);
    row("entry down", kOther, Qt::Key_Down, 0);
    row("other keys leave it", 9, Qt::Key_A, 9);
}

void ColourPickerTest::keyboardNavigation()
{
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, to);
    Fixture f;
    f.picker->setColour(kNotInPalette);
    QSignalSpy changed(f.picker, &ColourPicker::colourChanged);
    ColourPopup *popup = f.open();
    QVERIFY(popup && popup->isOpen());
    popup->setHighlight(from);
    const std::uint32_t tentativeBefore = popup->tentativeColour();

    QTest::keyClick(popup, Qt::Key(key));
    QCOMPARE(popup->highlight(), to);
    // A highlighted box is the tentative choice; the entry leaves it alone.
    QCOMPARE(popup->tentativeColour(), to >= 0 && to < kPaletteSize ? paletteColour(to) : tentativeBefore);
    // Browsing changes neither the picker nor raises its event.
    QVERIFY(popup->isOpen());
    QCOMPARE(f.picker->colour(), kNotInPalette);
    QCOMPARE(changed.count(), 0);
}

void ColourPickerTest::pointerBrowsing()
{
    Fixture f;
    ColourPopup *popup = f.open();
    QVERIFY(popup);
    const QRect box0 = popup->itemRect(0);
    QCOMPARE(box0.size(), QSize(18, 18));
    // The box below box 0 is box 7: seven to a row.
    QCOMPARE(popup->itemRect(7).topLeft(), box0.topLeft() + QPoint(0, 18));

    QTest::mouseMove(popup, popup->itemRect(17).center());
    QCOMPARE(popup->highlight(), 17);
    QCOMPARE(popup->tentativeColour(), paletteColour(17));

    // The frame and margin, and the three empty cells, leave the highlight.
    const QRect box31 = popup->itemRect(31);
    for (const QPoint p : {QPoint(1, 1), box0.topLeft() - QPoint(1, 1), box31.center() + QPoint(18, 0),
                           box31.center() + QPoint(3 * 18, 0)}) {
        QCOMPARE(popup->itemAt(p), kNone);
        QTest::mouseMove(popup, p);
        QCOMPARE(popup->highlight(), 17);
    }

    // The entry spans the popup inside its frame, below the grid.
    const QRect entry = popup->itemRect(kOther);
    QVERIFY(entry.top() > popup->itemRect(28).bottom());
    QCOMPARE(entry.width(), popup->width() - 2 * ColourPopup::kEdgeWidth);
    QTest::mouseMove(popup, QPoint(entry.right() - 1, entry.center().y()));
    QCOMPARE(popup->highlight(), kOther);
    QCOMPARE(popup->tentativeColour(), paletteColour(17));
    QVERIFY(popup->isOpen());
}

namespace {
enum class Action {
    Enter,
    Return,
    Space,
    Escape,
    ClickItem,          // press and release over item
    ClickOutside,
    PressInsideReleaseOutside,
    PressOutsideReleaseInside,
    ClickEmptyCell,     // over the empty cell right of box 31
    RightClickItem,
    LeaveApplication,
};
}

void ColourPickerTest::closing_data()
{
    QTest::addColumn<uint>("start");
    QTest::addColumn<int>("highlight"); // browsed to before the action
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("item");      // for the clicks
    QTest::addColumn<bool>("confirms");
    QTest::addColumn<uint>("expected");
    const auto row = [](const char *name, std::uint32_t start, int highlight, Action action, int item, bool confirms,
                        std::uint32_t expected) {
        QTest::newRow(name) << uint(start) << highlight << int(action) << item << confirms << uint(expected);
    };
    row("enter, nothing highlighted: starting colour", kRed, kNone, Action::Enter, 0, true, kRed);
    row("enter on a box", kRed, 15, Action::Enter, 0, true, paletteColour(15));
    row("keypad enter on a box", kRed, 9, Action::Return, 0, true, paletteColour(9));
    row("space on a box", 0, 12, Action::Space, 0, true, kRed);
    row("escape", kRed, 15, Action::Escape, 0, false, kRed);
    row("click a box", kRed, kNone, Action::ClickItem, 9, true, paletteColour(9));
    row("click the same colour", 0, kNone, Action::ClickItem, 0, true, 0);
    row("click outside", kRed, 9, Action::ClickOutside, 0, false, kRed);
    row("drag out of the popup", kRed, kNone, Action::PressInsideReleaseOutside, 9, false, kRed);
    row("press outside, release on a box", kRed, kNone, Action::PressOutsideReleaseInside, 20, true,
        paletteColour(20));
    row("click an empty cell: tentative choice", kRed, 5, Action::ClickEmptyCell, 0, true, paletteColour(5));
    row("click an empty cell, nothing highlighted", kNotInPalette, kNone, Action::ClickEmptyCell, 0, true,
        kNotInPalette);
    row("right click does not close", kRed, kNone, Action::RightClickItem, 9, false, kRed);
    row("switching application", kRed, 9, Action::LeaveApplication, 0, false, kRed);
}

void ColourPickerTest::closing()
{
    QFETCH(uint, start);
    QFETCH(int, highlight);
    QFETCH(int, action);
    QFETCH(int, item);
    QFETCH(bool, confirms);
    QFETCH(uint, expected);

    Fixture f;
    f.picker->setColour(start);
    QSignalSpy changed(f.picker, &ColourPicker::colourChanged);
    ColourPopup *popup = f.open();
    QVERIFY(popup && popup->isOpen());
    QCOMPARE(QApplication::activePopupWidget(), popup);
    popup->setHighlight(highlight);

    const QPoint outside(-5, popup->height() + 5);
    switch (Action(action)) {
    case Action::Enter: QTest::keyClick(popup, Qt::Key_Enter); break;
    case Action::Return: QTest::keyClick(popup, Qt::Key_Return); break;
    case Action::Space: QTest::keyClick(popup, Qt::Key_Space); break;
    case Action::Escape: QTest::keyClick(popup, Qt::Key_Escape); break;
    case Action::ClickItem: QTest::mouseClick(popup, Qt::LeftButton, {}, popup->itemRect(item).center()); break;
    case Action::ClickOutside: QTest::mouseClick(popup, Qt::LeftButton, {}, outside); break;
    case Action::PressInsideReleaseOutside:
        QTest::mousePress(popup, Qt::LeftButton, {}, popup->itemRect(item).center());
        QTest::mouseRelease(popup, Qt::LeftButton, {}, outside);
        break;
    case Action::PressOutsideReleaseInside:
        QTest::mousePress(popup, Qt::LeftButton, {}, outside);
        QVERIFY(popup->isOpen());
        QTest::mouseRelease(popup, Qt::LeftButton, {}, popup->itemRect(item).center());
        break;
    case Action::ClickEmptyCell:
        QTest::mouseClick(popup, Qt::LeftButton, {}, popup->itemRect(31).center() + QPoint(2 * 18, 0));
        break;
    case Action::RightClickItem:
        QTest::mouseClick(popup, Qt::RightButton, {}, popup->itemRect(item).center());
        break;
    case Action::LeaveApplication: {
        QApplicationStateChangeEvent leave(Qt::ApplicationInactive);
        QCoreApplication::sendEvent(qApp, &leave);
        break;
    }
    }

    if (Action(action) == Action::RightClickItem) {
        QVERIFY(popup->isOpen());
        QCOMPARE(changed.count(), 0);
        return;
    }
    QVERIFY(!popup->isOpen());
    QVERIFY(!popup->isVisible());
    QVERIFY(!f.picker->isPopupOpen());
    QCOMPARE(f.picker->colour(), expected);
    QCOMPARE(changed.count(), confirms ? 1 : 0);
    if (confirms)
        QCOMPARE(changed.first().first().value<std::uint32_t>(), expected);
    QVERIFY(f.platform.colourPresets.empty()); // the dialog is only for "其它颜色..."
}

void ColourPickerTest::otherColours_data()
{
    QTest::addColumn<uint>("start");
    QTest::addColumn<qint64>("answer");   // the dialog's answer; -1: Cancel
    QTest::addColumn<bool>("byMouse");
    QTest::addColumn<qint64>("preset");   // -1: not preset
    QTest::addColumn<uint>("expected");   // the picker's colour afterwards
    QTest::newRow("black start, no preset") << 0u << qint64(kNotInPalette) << false << qint64(-1) << kNotInPalette;
    QTest::newRow("red start is preset") << kRed << qint64(0x00FF00) << true << qint64(kRed) << 0x00FF00u;
    QTest::newRow("colour outside palette is preset")
        << kNotInPalette << qint64(0x654321) << false << qint64(kNotInPalette) << 0x654321u;
    QTest::newRow("cancel in dialog") << kRed << qint64(-1) << true << qint64(kRed) << kRed;
    QTest::newRow("only colour bits are taken") << kRed << qint64(0xFF654321u) << false << qint64(kRed) << 0x654321u;
}

void ColourPickerTest::otherColours()
{
    QFETCH(uint, start);
    QFETCH(qint64, answer);
    QFETCH(bool, byMouse);
    QFETCH(qint64, preset);
    QFETCH(uint, expected);

    Fixture f;
    f.picker->setColour(start);
    f.platform.colourAnswers.push_back(fromCell(answer));
    QSignalSpy changed(f.picker, &ColourPicker::colourChanged);
    ColourPopup *popup = f.open();
    QVERIFY(popup);
    // Browse over a box first: confirming the entry must still ask the dialog.
    popup->setHighlight(3);
    if (byMouse) {
        QTest::mouseClick(popup, Qt::LeftButton, {}, popup->itemRect(kOther).center());
    } else {
        QTest::keyClick(popup, Qt::Key_Up); // up from the first row
        QCOMPARE(popup->highlight(), kOther);
        QTest::keyClick(popup, Qt::Key_Return);
    }

    QVERIFY(!popup->isVisible());
    QCOMPARE(f.platform.colourPresets.size(), size_t(1));
    QCOMPARE(toCell(f.platform.colourPresets.front()), preset);
    QCOMPARE(f.picker->colour(), expected);
    QCOMPARE(changed.count(), answer < 0 ? 0 : 1);
    if (answer >= 0)
        QCOMPARE(changed.first().first().value<std::uint32_t>(), expected);
}

void ColourPickerTest::sunkenItemFollowsStartingColour()
{
    Fixture f;
    ColourPopup *popup = f.open();
    QVERIFY(popup);
    QCOMPARE(popup->sunkenItem(), 0); // black
    QCOMPARE(popup->highlight(), kNone);
    QTest::keyClick(popup, Qt::Key_Escape);

    // A dialog colour outside the palette: next time the entry is sunken.
    f.platform.colourAnswers.push_back(kNotInPalette);
    popup = f.open();
    QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_Space);
    QCOMPARE(f.picker->colour(), kNotInPalette);

    popup = f.open();
    QVERIFY(popup->isOpen());
    QCOMPARE(popup->sunkenItem(), kOther);
    QCOMPARE(popup->startColour(), kNotInPalette);
    QCOMPARE(popup->highlight(), kNone); // each opening starts with nothing highlighted
    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->itemRect(26).center());
    QCOMPARE(f.picker->colour(), paletteColour(26));

    popup = f.open();
    QCOMPARE(popup->sunkenItem(), 26);
}

void ColourPickerTest::onlyTheMouseOpens_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("space") << int(Qt::Key_Space);
    QTest::newRow("return") << int(Qt::Key_Return);
    QTest::newRow("keypad enter") << int(Qt::Key_Enter);
    QTest::newRow("down") << int(Qt::Key_Down);
}

void ColourPickerTest::onlyTheMouseOpens()
{
    QFETCH(int, key);
    Fixture f;
    f.picker->setFocus();
    QVERIFY(f.picker->hasFocus());
    QTest::keyClick(f.picker, Qt::Key(key));
    QVERIFY(!f.picker->isPopupOpen());
    QCOMPARE(QApplication::activePopupWidget(), nullptr);
    QVERIFY(f.picker->hasFocus()); // arrows do not move the focus on either

    QTest::mouseClick(f.picker, Qt::RightButton);
    QVERIFY(!f.picker->isPopupOpen());

    f.picker->setColour(kRed);
    QTest::mouseClick(f.picker, Qt::LeftButton);
    QVERIFY(f.picker->isPopupOpen());
    QCOMPARE(QApplication::activePopupWidget(), f.picker->popup());
    QCOMPARE(f.picker->popup()->startColour(), kRed);
    QCOMPARE(f.picker->popup()->sunkenItem(), 12);
}

void ColourPickerTest::placement_data()
{
    QTest::addColumn<QRect>("popup");
    QTest::addColumn<QPoint>("expected");
    const QRect screen(0, 0, 800, 600);
    QTest::newRow("fits") << QRect(100, 100, 134, 123) << QPoint(100, 100);
    QTest::newRow("touching right edge") << QRect(666, 100, 134, 123) << QPoint(666, 100);
    QTest::newRow("past right edge") << QRect(700, 100, 134, 123) << QPoint(666, 100);
    QTest::newRow("past left edge") << QRect(-30, 100, 134, 123) << QPoint(0, 100);
    QTest::newRow("past bottom edge") << QRect(100, 500, 134, 123) << QPoint(100, 477);
    QTest::newRow("past bottom right corner") << QRect(760, 590, 134, 123) << QPoint(666, 477);
}

void ColourPickerTest::placement()
{
    QFETCH(QRect, popup);
    QFETCH(QPoint, expected);
    QCOMPARE(ColourPopup::placeOnScreen(popup, QRect(0, 0, 800, 600)), expected);
}

void ColourPickerTest::opensBelowPickerAndStaysOnScreen()
{
    {
        Fixture f({120, 140}, {40, 24});
        ColourPopup *popup = f.open();
        QVERIFY(popup && popup->isVisible());
        QCOMPARE(popup->geometry().topLeft(), f.picker->mapToGlobal(QPoint(0, f.picker->height())));
        QCOMPARE(popup->size(), popup->sizeHint());
        QTest::keyClick(popup, Qt::Key_Escape);
    }
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    Fixture f(screen.bottomRight() - QPoint(50, 40));
    ColourPopup *popup = f.open();
    QVERIFY(popup && popup->isVisible());
    const QRect placed = popup->geometry();
    QVERIFY2(screen.contains(placed), qPrintable(QStringLiteral("popup at %1,%2 %3x%4")
                                                     .arg(placed.x()).arg(placed.y())
                                                     .arg(placed.width()).arg(placed.height())));
    // Moved only as far as needed.
    QCOMPARE(placed.right(), screen.right());
    QCOMPARE(placed.bottom(), screen.bottom());
}

void ColourPickerTest::escapeInPopupLeavesMainWindowOpen()
{
    auto t = TestWindow::create();
    QVERIFY(t);
    auto *picker = t->control<ColourPicker>("颜色选择器2");
    QVERIFY(picker);
    QSignalSpy changed(picker, &ColourPicker::colourChanged);
    picker->openPopup();
    QVERIFY(picker->isPopupOpen());

    // The key arrives at the main window's native window, as it would from
    // the keyboard, and must go to the popup alone.
    QTest::keyClick(t->window->windowHandle(), Qt::Key_Escape);
    QVERIFY(!picker->isPopupOpen());
    QVERIFY(t->window->isVisible());
    QCOMPARE(changed.count(), 0);

    // The same way in, Enter confirms.
    picker->openPopup();
    picker->popup()->setHighlight(12);
    QTest::keyClick(t->window->windowHandle(), Qt::Key_Return);
    QVERIFY(!picker->isPopupOpen());
    QVERIFY(t->window->isVisible());
    QCOMPARE(changed.count(), 1);
    QCOMPARE(picker->colour(), kRed);
}

void ColourPickerTest::toolTipNamesColour()
{
    Fixture f;
    ColourPopup *popup = f.open();
    QVERIFY(popup);
    const QPoint at = popup->itemRect(17).center();
    QHelpEvent help(QEvent::ToolTip, at, popup->mapToGlobal(at));
    QCoreApplication::sendEvent(popup, &help);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), QStringLiteral("藏蓝"));
}

void ColourPickerTest::faceShowsColourUnlessDisabled_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("40x16") << QSize(40, 16);
    QTest::newRow("40x24") << QSize(40, 24);
}

void ColourPickerTest::faceShowsColourUnlessDisabled()
{
    QFETCH(QSize, size);
    Fixture f({100, 100}, size);
    f.picker->setColour(kRed);
    const QPoint swatchMiddle(size.width() / 3, size.height() / 2);
    QCOMPARE(f.picker->grab().toImage().pixelColor(swatchMiddle), QColor(255, 0, 0));
    // The arrow's side of the face is not swatch.
    QVERIFY(f.picker->grab().toImage().pixelColor(size.width() - 5, size.height() / 2) != QColor(255, 0, 0));

    f.picker->setEnabled(false);
    QCOMPARE(f.picker->grab().toImage().pixelColor(swatchMiddle),
             f.picker->palette().color(QPalette::Disabled, QPalette::Button));
    QTest::mouseClick(f.picker, Qt::LeftButton);
    f.picker->openPopup();
    QVERIFY(!f.picker->isPopupOpen());
}

QTEST_MAIN(ColourPickerTest)
#include "test_colourpicker.moc"
