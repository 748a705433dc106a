#pragma once
// The main window: the live controls, found by name, and the event bindings
// that route their events to handlers.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <map>
#include <vector>

namespace tilvane {

class Platform;
class MainWindow;

enum class ControlEvent { Click, ContentChanged, ColourChanged, KeyDown };

struct EventArgs {
    int keyCode = 0;   // virtual-key code, for key-down events
    int modifiers = 0; // 1 Ctrl + 2 Shift + 4 Alt
};

using Handler = std::function<void(MainWindow &, const EventArgs &)>;
using HandlerTable = std::map<QString, Handler>;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(Platform &platform, QWidget *parent = nullptr);
    ~MainWindow() override;

    Platform &platform() const { return platform_; }

    // A control (or common dialog) by its name; nullptr when there is none of that type.
    template <class T> T *control(const QString &name) const
    {
        for (QObject *object : controls_)
            if (object && object->objectName() == name)
                return qobject_cast<T *>(object);
        return nullptr;
    }
    const std::vector<QPointer<QObject>> &controlsInOrder() const { return controls_; }

    // Calls the handler bound to this control and event, if any.
    void raiseEvent(const QString &control, ControlEvent event, const EventArgs &args = {});
    bool hasBinding(const QString &control, ControlEvent event) const;

    // The tab stops in the order Tab visits them.
    std::vector<QWidget *> tabCycle() const;
    // Moves the focus along the tab cycle; forward for Tab, backward for Shift+Tab.
    void focusNextInCycle(bool forward);
    bool escapeCloses() const { return escapeCloses_; }

    // Used by the builder.
    void addControl(QObject *control, bool tabStop);
    void bind(const QString &control, ControlEvent event, Handler handler);
    void setEscapeCloses(bool on) { escapeCloses_ = on; }

private:
    Platform &platform_;
    std::vector<QPointer<QObject>> controls_;
    std::vector<QPointer<QWidget>> tabStops_; // definition order
    std::map<std::pair<QString, int>, Handler> bindings_;
    bool escapeCloses_ = true;
};

} // namespace tilvane
