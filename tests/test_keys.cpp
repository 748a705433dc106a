// The window-wide key step, the move handlers and the text handlers.

#include "app/Controls.h"
#include "app/KeyStep.h"
#include "compose/PictureBox.h"
#include "compose/TextOverlay.h"
#include "testsupport.h"

#include <QApplication>
#include <QClipboard>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

using namespace tilvane;
using tilvane::test::TestWindow;

class KeysTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { tilvane::test::initApplication(); }
    void init()
    {
        t = TestWindow::create();
        QVERIFY(t);
        overlay1 = t->control<TextOverlay>("文字8");
        overlay2 = t->control<TextOverlay>("文字7");
    }
    void cleanup() { t.reset(); }

    void keyCodes_data();
    void keyCodes();
    void keyDownReachesFocusedControl();
    void radioArrows_data();
    void radioArrows();
    void nothingMovesWithoutActiveOverlay();
    void clicksMove();
    void arrowButtonReactsToItsOwnKeyOnly();
    void keyboardMoveButton();
    void keypadDigitsDoNotMove();
    void moveStopsAtTheBound();
    void autoRepeatMovesOncePerKeyDown();
    void arrowKeysInEditBoxMoveTheCaret();
    void radioArrowChangesTheActiveOverlay();
    void textCopy();
    void pasteIsOneEvent();
    void textBeyondGbkIsKept();
    void mouseOnCanvasChangesNothing();

private:
    void focus(const char *name)
    {
        auto *widget = t->control<QWidget>(name);
        widget->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), widget);
    }
    std::unique_ptr<TestWindow> t;
    TextOverlay *overlay1 = nullptr;
    TextOverlay *overlay2 = nullptr;
};

void KeysTest::keyCodes_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("state");
    const int keypad = Qt::KeypadModifier;
    QTest::newRow("left") << int(Qt::Key_Left) << 0 << 37 << 0;
    QTest::newRow("up") << int(Qt::Key_Up) << 0 << 38 << 0;
    QTest::newRow("shift+right") << int(Qt::Key_Right) << int(Qt::ShiftModifier) << 39 << 2;
    QTest::newRow("ctrl+alt+down") << int(Qt::Key_Down) << int(Qt::ControlModifier | Qt::AltModifier) << 40 << 5;
    QTest::newRow("tab") << int(Qt::Key_Tab) << 0 << 9 << 0;
    QTest::newRow("enter") << int(Qt::Key_Return) << 0 << 13 << 0;
    QTest::newRow("keypad enter") << int(Qt::Key_Enter) << keypad << 13 << 0;
    QTest::newRow("esc") << int(Qt::Key_Escape) << 0 << 27 << 0;
    QTest::newRow("f1") << int(Qt::Key_F1) << 0 << 112 << 0;
    QTest::newRow("digit 0") << int(Qt::Key_0) << 0 << 48 << 0;
    QTest::newRow("keypad 6, num lock on") << int(Qt::Key_6) << keypad << 54 << 0;
    QTest::newRow("keypad 6, num lock off") << int(Qt::Key_Right) << keypad << 39 << 0;
    QTest::newRow("keypad minus") << int(Qt::Key_Minus) << keypad << 189 << 0;
    QTest::newRow("keypad point") << int(Qt::Key_Period) << keypad << 190 << 0;
    QTest::newRow("keypad slash") << int(Qt::Key_Slash) << keypad << 191 << 0;
    QTest::newRow("letter with ctrl+shift") << int(Qt::Key_A) << int(Qt::ControlModifier | Qt::ShiftModifier) << 65
                                            << 3;
    QTest::newRow("shift alone") << int(Qt::Key_Shift) << int(Qt::ShiftModifier) << 16 << 0;
    QTest::newRow("ctrl alone with shift held") << int(Qt::Key_Control)
                                                << int(Qt::ControlModifier | Qt::ShiftModifier) << 17 << 2;
    QTest::newRow("alt alone") << int(Qt::Key_Alt) << int(Qt::AltModifier) << 18 << 0;
}

void KeysTest::keyCodes()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, code);
    QFETCH(int, state);
    const auto mods = Qt::KeyboardModifiers(modifiers);
    QCOMPARE(virtualKeyCode(key, mods), std::optional<int>(code));
    QCOMPARE(modifierState(key, mods), state);
}

void KeysTest::keyDownReachesFocusedControl()
{
    std::vector<EventArgs> seen;
    t->window->bind(QStringLiteral("按钮3"), ControlEvent::KeyDown,
                    [&](MainWindow &, const EventArgs &args) { seen.push_back(args); });
    focus("按钮3");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    // The Shift key itself comes first, as a key of its own with no modifier.
    QCOMPARE(seen.size(), size_t(3));
    QCOMPARE(seen[0].keyCode, 16);
    QCOMPARE(seen[0].modifiers, 0);
    QCOMPARE(seen[1].keyCode, 39);
    QCOMPARE(seen[1].modifiers, 2);
    QCOMPARE(seen[2].keyCode, 112);
    // Tab is window-wide and never reaches a control's key-down event.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(seen.size(), size_t(3));
}

void KeysTest::radioArrows_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("switches");
    QTest::newRow("right") << int(Qt::Key_Right) << 0 << true;
    QTest::newRow("left") << int(Qt::Key_Left) << 0 << true;
    QTest::newRow("down") << int(Qt::Key_Down) << 0 << true;
    QTest::newRow("up") << int(Qt::Key_Up) << 0 << true;
    QTest::newRow("shift+right") << int(Qt::Key_Right) << int(Qt::ShiftModifier) << false;
    QTest::newRow("ctrl+down") << int(Qt::Key_Down) << int(Qt::ControlModifier) << false;
    QTest::newRow("alt+left") << int(Qt::Key_Left) << int(Qt::AltModifier) << false;
}

void KeysTest::radioArrows()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, switches);
    auto *first = t->control<QRadioButton>("文字1");
    auto *second = t->control<QRadioButton>("文字2");
    first->click();
    focus("文字1");
    QSignalSpy clicks(second, &QAbstractButton::clicked);
    QTest::keyClick(first, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(second->isChecked(), switches);
    QCOMPARE(first->isChecked(), !switches);
    QCOMPARE(QApplication::focusWidget(), switches ? second : first);
    QCOMPARE(clicks.count(), switches ? 1 : 0);
    QCOMPARE(overlay1->pos(), QPoint(32, 33));
}

void KeysTest::nothingMovesWithoutActiveOverlay()
{
    for (const char *button : {"按钮2", "按钮3", "按钮4", "按钮5"})
        QTest::mouseClick(t->control<QWidget>(button), Qt::LeftButton);
    focus("按钮11");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    QCOMPARE(overlay1->pos(), QPoint(32, 33));
    QCOMPARE(overlay2->pos(), QPoint(32, 56));
}

void KeysTest::clicksMove()
{
    t->control<QRadioButton>("文字1")->click();
    auto *right = t->control<QWidget>("按钮3");
    for (int expected : {34, 36, 38}) {
        QTest::mouseClick(right, Qt::LeftButton);
        QCOMPARE(overlay1->left(), expected);
    }
    QCOMPARE(overlay2->pos(), QPoint(32, 56));
    t->control<QRadioButton>("文字2")->click();
    QTest::mouseClick(t->control<QWidget>("按钮5"), Qt::LeftButton);
    QCOMPARE(overlay2->top(), 54);
    QTest::mouseClick(t->control<QWidget>("按钮4"), Qt::LeftButton);
    QTest::mouseClick(t->control<QWidget>("按钮4"), Qt::LeftButton);
    QCOMPARE(overlay2->top(), 58);
    // Seventeen clicks on "←" from 32 reach -2; the first two columns are cut off.
    t->control<QRadioButton>("文字1")->click();
    overlay1->setLeft(32);
    for (int i = 0; i < 17; ++i)
        QTest::mouseClick(t->control<QWidget>("按钮2"), Qt::LeftButton);
    QCOMPARE(overlay1->left(), -2);
    // The space bar clicks a focused arrow button, which moves once.
    focus("按钮3");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(overlay1->left(), 0);
}

void KeysTest::arrowButtonReactsToItsOwnKeyOnly()
{
    t->control<QRadioButton>("文字1")->click();
    auto *right = t->control<QWidget>("按钮3");
    QTest::mouseClick(right, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), right); // a clicked push button takes the focus
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(right, Qt::Key_Right);
    QCOMPARE(overlay1->left(), 44);
    QTest::keyClick(right, Qt::Key_Left);
    QTest::keyClick(right, Qt::Key_Up);
    QCOMPARE(overlay1->pos(), QPoint(44, 33));
    QTest::keyClick(right, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(overlay1->left(), 46);
    QCOMPARE(QApplication::focusWidget(), right);
}

void KeysTest::keyboardMoveButton()
{
    t->control<QRadioButton>("文字2")->click();
    auto *button = t->control<QWidget>("按钮11");
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(overlay2->pos(), QPoint(32, 56)); // the click moves nothing
    QCOMPARE(QApplication::focusWidget(), button);
    QTest::keyClick(button, Qt::Key_Up);
    QCOMPARE(overlay2->pos(), QPoint(32, 54));
    QTest::keyClick(button, Qt::Key_Down);
    QTest::keyClick(button, Qt::Key_Down);
    QCOMPARE(overlay2->pos(), QPoint(32, 58));
    QTest::keyClick(button, Qt::Key_Left);
    QCOMPARE(overlay2->pos(), QPoint(30, 58));
    QTest::keyClick(button, Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(overlay2->pos(), QPoint(32, 58));
    QTest::keyClick(button, Qt::Key_A);
    QCOMPARE(overlay2->pos(), QPoint(32, 58));
}

void KeysTest::keypadDigitsDoNotMove()
{
    t->control<QRadioButton>("文字1")->click();
    focus("按钮11");
    // Num Lock on: the keypad's 4, 6, 8, 2 are digits and move nothing.
    for (Qt::Key key : {Qt::Key_4, Qt::Key_6, Qt::Key_8, Qt::Key_2})
        QTest::keyClick(QApplication::focusWidget(), key, Qt::KeypadModifier);
    QCOMPARE(overlay1->pos(), QPoint(32, 33));
    // Num Lock off: they are arrow keys.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right, Qt::KeypadModifier);
    QCOMPARE(overlay1->pos(), QPoint(34, 33));
}

void KeysTest::moveStopsAtTheBound()
{
    t->control<QRadioButton>("文字1")->click();
    overlay1->setLeft(-32626);
    auto *left = t->control<QWidget>("按钮2");
    QTest::mouseClick(left, Qt::LeftButton);
    QCOMPARE(overlay1->left(), -32627);
    QTest::mouseClick(left, Qt::LeftButton);
    QCOMPARE(overlay1->left(), -32627);
    QTest::mouseClick(t->control<QWidget>("按钮3"), Qt::LeftButton);
    QCOMPARE(overlay1->left(), -32625);
}

void KeysTest::autoRepeatMovesOncePerKeyDown()
{
    t->control<QRadioButton>("文字1")->click();
    focus("按钮11");
    QWidget *button = QApplication::focusWidget();
    for (int i = 0; i < 10; ++i) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, QString(), i > 0);
        QApplication::sendEvent(button, &press);
    }
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(button, &release);
    QCOMPARE(overlay1->left(), 52);
}

void KeysTest::arrowKeysInEditBoxMoveTheCaret()
{
    t->control<QRadioButton>("文字1")->click();
    auto *edit = t->control<EditBox>("编辑框1");
    QTest::keyClicks(edit, "abc");
    QTest::keyClick(edit, Qt::Key_Left);
    QTest::keyClick(edit, Qt::Key_Left);
    QTest::keyClicks(edit, "X");
    QCOMPARE(edit->text(), QStringLiteral("aXbc"));
    QCOMPARE(overlay1->pos(), QPoint(32, 33));
}

void KeysTest::radioArrowChangesTheActiveOverlay()
{
    auto *first = t->control<QRadioButton>("文字1");
    first->click();
    focus("文字1");
    QTest::keyClick(first, Qt::Key_Right);
    QVERIFY(t->control<QRadioButton>("文字2")->isChecked());
    QTest::mouseClick(t->control<QWidget>("按钮3"), Qt::LeftButton);
    QCOMPARE(overlay2->left(), 34);
    QCOMPARE(overlay1->left(), 32);
}

void KeysTest::textCopy()
{
    auto *edit1 = t->control<EditBox>("编辑框1");
    auto *edit2 = t->control<EditBox>("编辑框2");
    QSignalSpy changes(edit1, &EditBox::contentChanged);
    QTest::keyClicks(edit1, "H");
    QCOMPARE(overlay1->caption(), QStringLiteral("H"));
    QCOMPARE(overlay2->caption(), QStringLiteral("文字2")); // the other overlay keeps its start caption
    QTest::keyClicks(edit1, "i");
    QTest::keyClick(edit1, Qt::Key_Return);
    QTest::keyClicks(edit1, "you");
    QCOMPARE(overlay1->caption(), QStringLiteral("Hi\r\nyou"));
    QCOMPARE(changes.count(), 6);
    // Caret moves and selection raise nothing.
    QTest::keyClick(edit1, Qt::Key_Home);
    QTest::keyClick(edit1, Qt::Key_End, Qt::ShiftModifier);
    QCOMPARE(changes.count(), 6);
    // Deleting everything leaves an empty caption: the start caption does not come back.
    edit1->selectAll();
    QTest::keyClick(edit1, Qt::Key_Delete);
    QCOMPARE(overlay1->caption(), QString());
    QCOMPARE(changes.count(), 7);
    QTest::keyClicks(edit2, "2");
    QCOMPARE(overlay2->caption(), QStringLiteral("2"));
    QCOMPARE(overlay1->caption(), QString());
}

void KeysTest::pasteIsOneEvent()
{
    auto *edit = t->control<EditBox>("编辑框2");
    QSignalSpy changes(edit, &EditBox::contentChanged);
    const QString longText = QString(QStringLiteral("很长的文字 ")).repeated(200);
    QApplication::clipboard()->setText(longText);
    edit->setFocus();
    edit->paste();
    QCOMPARE(changes.count(), 1);
    QCOMPARE(overlay2->caption(), longText);
}

void KeysTest::textBeyondGbkIsKept()
{
    auto *edit = t->control<EditBox>("编辑框1");
    const QString text = QStringLiteral("头像😀𠀀€");
    QApplication::clipboard()->setText(text);
    edit->setFocus();
    edit->paste();
    QCOMPARE(overlay1->caption(), text);
    // Glyphs are drawn for it (the canvas is no longer just grey).
    overlay2->setCaption(QString());
    QVERIFY(tilvane::test::countPixelsNot(t->control<PictureBox>("图片框1")->snapshot(), qRgb(128, 128, 128)) > 20);
}

void KeysTest::mouseOnCanvasChangesNothing()
{
    auto *canvas = t->control<PictureBox>("图片框1");
    const QImage before = canvas->snapshot();
    QWidget *focusBefore = QApplication::focusWidget();
    QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseClick(overlay1, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QCOMPARE(canvas->snapshot(), before);
    QCOMPARE(QApplication::focusWidget(), focusBefore);
}

QTEST_MAIN(KeysTest)
#include "test_keys.moc"
