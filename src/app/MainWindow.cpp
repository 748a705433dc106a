#include "app/MainWindow.h"

#include <algorithm>

namespace tilvane {

MainWindow::MainWindow(Platform &platform, QWidget *parent) : QWidget(parent), platform_(platform) {}

MainWindow::~MainWindow() = default;

void MainWindow::addControl(QObject *control, bool tabStop)
{
    controls_.emplace_back(control);
    if (tabStop)
        if (auto *widget = qobject_cast<QWidget *>(control))
            tabStops_.emplace_back(widget);
}

void MainWindow::bind(const QString &control, ControlEvent event, Handler handler)
{
    bindings_[{control, int(event)}] = std::move(handler);
}

bool MainWindow::hasBinding(const QString &control, ControlEvent event) const
{
    return bindings_.count({control, int(event)}) != 0;
}

void MainWindow::raiseEvent(const QString &control, ControlEvent event, const EventArgs &args)
{
    const auto it = bindings_.find({control, int(event)});
    if (it == bindings_.end())
        return;
    // A copy: a handler may not outlive its binding, but the map must not be
    // touched while it runs.
    const Handler handler = it->second;
    handler(*this, args);
}

std::vector<QWidget *> MainWindow::tabCycle() const
{
    std::vector<QWidget *> cycle;
    for (auto it = tabStops_.rbegin(); it != tabStops_.rend(); ++it)
        if (*it)
            cycle.push_back(it->data());
    return cycle;
}

void MainWindow::focusNextInCycle(bool forward)
{
    const std::vector<QWidget *> cycle = tabCycle();
    if (cycle.empty())
        return;
    const int count = int(cycle.size());
    QWidget *current = focusWidget();
    int index = -1;
    for (int i = 0; i < count; ++i)
        if (cycle[size_t(i)] == current || (current && cycle[size_t(i)]->isAncestorOf(current)))
            index = i;
    for (int step = 1; step <= count; ++step) {
        int next = index < 0 ? (forward ? step - 1 : count - step)
                             : ((index + (forward ? step : -step)) % count + count) % count;
        QWidget *candidate = cycle[size_t(next)];
        if (candidate->isVisible() && candidate->isEnabled()) {
            candidate->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
    }
}

} // namespace tilvane
