#pragma once
// The real main window, built from the built-in definition with the real
// handlers, in an application set up as the program's start-up sets it up.
// Only the open-file dialog is scripted: it answers with a path at once.

#include "app/MainWindow.h"
#include "platform/QtPlatform.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace tilvane {
class PictureBox;
}

namespace bench {

// Style, font substitutions and translation, as at start-up.
void prepareApplication();

class BenchPlatform : public tilvane::QtPlatform {
public:
    QString nextFile; // the open-file dialog's answer; empty: cancelled
    int messages = 0;
    std::optional<QString> openFileName(QWidget *owner, const QString &preselected) override;
    void messageBox(QWidget *owner, const QString &caption, const QString &text,
                    tilvane::MessageIcon icon) override;
};

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    // Only paints for which counts() is true are counted, when it is given.
    explicit PaintCounter(QWidget *widget, std::function<bool()> counts = {});
    ~PaintCounter() override;
    int count() const { return count_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> widget_;
    std::function<bool()> counts_;
    int count_ = 0;
};

struct ProgramWindow {
    BenchPlatform platform;
    std::unique_ptr<tilvane::MainWindow> window;

    // Builds and shows the window and waits until it has been painted and
    // its start-up events are over. False when that fails.
    bool open();
    tilvane::PictureBox *canvas() const;
    template <class T> T *control(const char *name) const { return window->control<T>(QString::fromUtf8(name)); }
    // Clicks the background picture button with the dialog answering path.
    void choosePicture(const QString &path);
};

// Processes events until done() or the timeout; true when done.
bool processUntil(const std::function<bool()> &done, double timeoutMs);
// Processes events for a while (e.g. to let deferred work run out).
void processFor(double ms);

} // namespace bench
