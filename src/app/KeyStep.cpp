#include "app/KeyStep.h"

#include "app/Controls.h"
#include "app/MainWindow.h"

#include <QApplication>
#include <QKeyEvent>
#include <QRadioButton>

namespace tilvane {

std::optional<int> virtualKeyCode(int key, Qt::KeyboardModifiers modifiers)
{
    const bool keypad = modifiers & Qt::KeypadModifier;
    if (keypad) {
        if (key == Qt::Key_Minus)
            return 189;
        if (key == Qt::Key_Period || key == Qt::Key_Comma)
            return 190;
        if (key == Qt::Key_Slash)
            return 191;
        if (key == Qt::Key_Asterisk)
            return 106;
        if (key == Qt::Key_Plus)
            return 107;
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return 48 + (key - Qt::Key_0);
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return 65 + (key - Qt::Key_A);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 112 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Clear: return 12;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Print: return 44;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Meta: return 91;
    case Qt::Key_Menu: return 93;
    case Qt::Key_NumLock: return 144;
    case Qt::Key_ScrollLock: return 145;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return 186;
    case Qt::Key_Equal:
    case Qt::Key_Plus: return 187;
    case Qt::Key_Comma:
    case Qt::Key_Less: return 188;
    case Qt::Key_Minus:
    case Qt::Key_Underscore: return 189;
    case Qt::Key_Period:
    case Qt::Key_Greater: return 190;
    case Qt::Key_Slash:
    case Qt::Key_Question: return 191;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde: return 192;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft: return 219;
    case Qt::Key_Backslash:
    case Qt::Key_Bar: return 220;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight: return 221;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl: return 222;
    // Shifted digits on a US layout still name the digit keys.
    case Qt::Key_Exclam: return 49;
    case Qt::Key_At: return 50;
    case Qt::Key_NumberSign: return 51;
    case Qt::Key_Dollar: return 52;
    case Qt::Key_Percent: return 53;
    case Qt::Key_AsciiCircum: return 54;
    case Qt::Key_Ampersand: return 55;
    case Qt::Key_Asterisk: return 56;
    case Qt::Key_ParenLeft: return 57;
    case Qt::Key_ParenRight: return 48;
    default: return std::nullopt;
    }
}

int modifierState(int key, Qt::KeyboardModifiers modifiers)
{
    int state = 0;
    if ((modifiers & Qt::ControlModifier) && key != Qt::Key_Control)
        state |= 1;
    if ((modifiers & Qt::ShiftModifier) && key != Qt::Key_Shift)
        state |= 2;
    if ((modifiers & Qt::AltModifier) && key != Qt::Key_Alt)
        state |= 4;
    return state;
}

void installKeyStep(MainWindow &window)
{
    auto *step = new KeyStep(window);
    qApp->installEventFilter(step);
}

KeyStep::KeyStep(MainWindow &window) : QObject(&window), window_(window) {}

bool KeyStep::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != &window_)
        return false;
    // A key a control ignores travels on to its parents; the step has already
    // run for it at the first receiver, the focused widget.
    QWidget *focus = window_.focusWidget();
    if (widget != (focus ? focus : static_cast<QWidget *>(&window_)))
        return false;
    return handleKeyPress(widget, static_cast<QKeyEvent *>(event));
}

namespace {

// The control of the window that a widget belongs to (an edit box's
// viewport belongs to the edit box).
QWidget *owningControl(MainWindow &window, QWidget *widget)
{
    for (QWidget *w = widget; w && w != &window; w = w->parentWidget())
        for (const auto &control : window.controlsInOrder())
            if (control == w)
                return w;
    return nullptr;
}

} // namespace

bool KeyStep::handleKeyPress(QWidget *target, QKeyEvent *event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers();
    QWidget *focus = window_.focusWidget();
    QWidget *control = owningControl(window_, focus ? focus : target);

    // Only the edit boxes claim a key for themselves, and only Enter, which
    // none of the rules below takes anyway.

    // 1. Tab and Shift+Tab move along the tab cycle.
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        const bool backward = key == Qt::Key_Backtab || (mods & Qt::ShiftModifier);
        window_.focusNextInCycle(!backward);
        return true;
    }
    // 2. Enter: no default push button here, so it goes on to the control.
    // 3. Esc closes the window.
    if (key == Qt::Key_Escape && window_.escapeCloses()) {
        window_.close();
        return true;
    }
    // 4. Plain arrows on a radio button move the check mark and the focus.
    const bool arrow = key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
    const bool plain = !(mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
    if (auto *radio = qobject_cast<QRadioButton *>(control); radio && arrow) {
        if (!plain)
            return true; // a modified arrow does nothing on a radio button
        const bool forward = key == Qt::Key_Right || key == Qt::Key_Down;
        std::vector<QRadioButton *> group;
        for (const auto &object : window_.controlsInOrder()) {
            auto *candidate = qobject_cast<QRadioButton *>(object.data());
            if (candidate && candidate->parentWidget() == radio->parentWidget())
                group.push_back(candidate);
        }
        // Navigation follows the tab cycle, which is reverse definition order.
        std::reverse(group.begin(), group.end());
        const auto it = std::find(group.begin(), group.end(), radio);
        const int count = int(group.size());
        const int index = int(it - group.begin());
        for (int step = 1; step < count; ++step) {
            QRadioButton *next = group[size_t(((index + (forward ? step : -step)) % count + count) % count)];
            if (next->isVisible() && next->isEnabled() && next->focusPolicy() != Qt::NoFocus) {
                next->setFocus(Qt::OtherFocusReason);
                next->click();
                break;
            }
        }
        return true;
    }
    // 5. No caption of this window marks a mnemonic, so Alt+letter goes on.
    // 6. The focused control's key-down event, then its ordinary processing.
    if (control) {
        if (const auto code = virtualKeyCode(key, mods))
            window_.raiseEvent(control->objectName(), ControlEvent::KeyDown,
                               EventArgs{*code, modifierState(key, mods)});
    }
    return false;
}

} // namespace tilvane
