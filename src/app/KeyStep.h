#pragma once
// The window-wide key step: every key press inside the main window passes
// here before the control it is addressed to sees it.

#include <QObject>
#include <optional>

class QKeyEvent;

namespace tilvane {

class MainWindow;

// The Windows virtual-key code of a key press; keypad digits arrive as the
// ordinary digits, keypad minus, point and slash as 189, 190, 191.
std::optional<int> virtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);
// 1 Ctrl + 2 Shift + 4 Alt; a modifier key pressed alone does not count itself.
int modifierState(int qtKey, Qt::KeyboardModifiers modifiers);

void installKeyStep(MainWindow &window);

class KeyStep : public QObject {
    Q_OBJECT
public:
    explicit KeyStep(MainWindow &window);
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Runs the rules for one key press; true when the key is consumed.
    bool handleKeyPress(QWidget *target, QKeyEvent *event);

private:
    MainWindow &window_;
};

} // namespace tilvane
