// The main window as built from the real definition: controls, stacking,
// focus, Tab cycle, Esc and Enter, and the fatal start-up paths.

#include "app/Controls.h"
#include "app/Startup.h"
#include "app/WindowBuilder.h"
#include "app/WindowDefinition.h"
#include "compose/ColourPicker.h"
#include "compose/HyperlinkBox.h"
#include "compose/PictureBox.h"
#include "compose/TextOverlay.h"
#include "testsupport.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

using namespace tilvane;
using tilvane::test::TestWindow;

class WindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { tilvane::test::initApplication(); }

    void controls_data();
    void controls();
    void definitionOrderAndStacking();
    void startState();
    void tabCycle();
    void escClosesFromAnyControl_data();
    void escClosesFromAnyControl();
    void enterInEditBoxInsertsLineBreak();
    void focusComesBackAfterReactivation();
    void hyperlinkOpensAboutPage();
    void fatalStartup_data();
    void fatalStartup();
    void normalStartupRunsExitStepOnce();
};

void WindowTest::controls_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("tabStop");
    const auto row = [](const char *name, const char *kind, const char *parent, QRect place, const char *caption,
                        bool tab) {
        QTest::newRow(name) << QString::fromUtf8(kind) << QString::fromUtf8(parent) << place
                            << QString::fromUtf8(caption) << tab;
    };
    row("超级链接框2", "HyperlinkBox", "分组框1", {210, 16, 149, 24}, "Tilvane 团队", false);
    row("超级链接框1", "HyperlinkBox", "分组框4", {151, 146, 224, 24}, "本工具由 Tilvane 团队制作", false);
    row("按钮11", "PushButton", "分组框2", {7, 82, 80, 24}, "使用键盘移动", true);
    row("按钮1", "PushButton", "主窗口", {8, 12, 88, 32}, "背景图片设置", true);
    row("颜色选择器1", "ColourPicker", "主窗口", {157, 16, 40, 24}, "", true);
    row("透明标签5", "TextOverlay", "主窗口", {103, 16, 88, 24}, "背景色", false);
    row("按钮8", "PushButton", "主窗口", {242, 84, 40, 16}, "字体", true);
    row("按钮7", "PushButton", "主窗口", {242, 62, 40, 16}, "字体", true);
    row("按钮6", "PushButton", "主窗口", {163, 130, 88, 32}, "生成/保存", true);
    row("文字2", "QRadioButton", "主窗口", {11, 81, 56, 24}, "文字2", true);
    row("文字1", "QRadioButton", "主窗口", {11, 57, 56, 24}, "文字1", true);
    row("图片框1", "PictureBox", "主窗口", {26, 130, 102, 102}, "", false);
    row("透明标签2", "TextOverlay", "主窗口", {716, 275, 48, 24}, "↑", false);
    row("透明标签1", "TextOverlay", "主窗口", {119, 102, 184, 16}, "移动文字，请选中箭头处文字↗", false);
    row("按钮4", "PushButton", "主窗口", {320, 106, 24, 24}, "↓", true);
    row("按钮3", "PushButton", "主窗口", {348, 85, 24, 24}, "→", true);
    row("按钮2", "PushButton", "主窗口", {293, 85, 24, 24}, "←", true);
    row("按钮5", "PushButton", "主窗口", {321, 61, 24, 24}, "↑", true);
    row("颜色选择器3", "ColourPicker", "主窗口", {198, 85, 40, 16}, "", true);
    row("颜色选择器2", "ColourPicker", "主窗口", {197, 62, 40, 16}, "", true);
    row("编辑框2", "EditBox", "主窗口", {74, 85, 115, 16}, "", true);
    row("编辑框1", "EditBox", "主窗口", {73, 61, 116, 16}, "", true);
    row("分组框2", "GroupBox", "主窗口", {285, 51, 94, 109}, "", false);
    row("分组框3", "GroupBox", "主窗口", {13, 111, 128, 129}, "预览框", false);
    row("分组框1", "GroupBox", "主窗口", {0, 1, 383, 48}, "Tilvane 头像文字工具 · 制作：Tilvane 团队 · 支持：见关于页",
        false);
    row("分组框4", "GroupBox", "主窗口", {1, 41, 383, 207}, "", false);
    row("文字7", "TextOverlay", "图片框1", {32, 56, 182, 109}, "文字2", false);
    row("文字8", "TextOverlay", "图片框1", {32, 33, 133, 109}, "文字1", false);
}

void WindowTest::controls()
{
    QFETCH(QString, kind);
    QFETCH(QString, parent);
    QFETCH(QRect, place);
    QFETCH(QString, caption);
    QFETCH(bool, tabStop);
    auto t = TestWindow::create(false);
    QVERIFY(t);
    const QString name = QString::fromUtf8(QTest::currentDataTag());
    auto *widget = t->window->control<QWidget>(name);
    QVERIFY(widget);
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()).section(QLatin1String("::"), -1), kind);
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    QCOMPARE(widget->geometry(), place);
    QCOMPARE(widget->focusPolicy() != Qt::NoFocus, tabStop);
    QString shown;
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        shown = button->text();
    else if (auto *label = qobject_cast<TextOverlay *>(widget))
        shown = label->caption();
    else if (auto *group = qobject_cast<GroupBox *>(widget))
        shown = group->caption();
    else if (auto *link = qobject_cast<HyperlinkBox *>(widget))
        shown = link->caption();
    else if (auto *edit = qobject_cast<EditBox *>(widget))
        shown = edit->text();
    QCOMPARE(shown, caption);
}

void WindowTest::definitionOrderAndStacking()
{
    auto t = TestWindow::create(false);
    QVERIFY(t);
    const auto &all = t->window->controlsInOrder();
    QCOMPARE(all.size(), size_t(31));
    // The three common dialogs are objects without a window.
    for (const char *name : {"通用对话框1", "通用对话框2", "通用对话框3"}) {
        QVERIFY(t->control<CommonDialog>(name));
        QVERIFY(!t->control<QWidget>(name));
    }
    QCOMPARE(t->control<CommonDialog>("通用对话框3")->kind(), CommonDialog::Kind::Font);

    // Qt lists children bottom to top: the first listed sibling must be last.
    auto *canvas = t->control<PictureBox>("图片框1");
    const QObjectList overlays = canvas->children();
    const int upper = int(overlays.indexOf(t->control<QWidget>("文字7")));
    const int lower = int(overlays.indexOf(t->control<QWidget>("文字8")));
    QVERIFY(upper > lower);

    const QObjectList windowChildren = t->window->children();
    const auto stackIndex = [&](const char *name) {
        return int(windowChildren.indexOf(t->control<QWidget>(name)));
    };
    for (const char *group : {"分组框1", "分组框2", "分组框3", "分组框4"})
        for (const char *other : {"按钮1", "按钮6", "图片框1", "编辑框1", "按钮3", "颜色选择器1"})
            QVERIFY2(stackIndex(group) < stackIndex(other), group);
    QVERIFY(stackIndex("按钮1") > stackIndex("按钮6"));
}

void WindowTest::startState()
{
    auto t = TestWindow::create();
    QVERIFY(t);
    QCOMPARE(t->window->windowTitle(), QStringLiteral("Tilvane"));
    QVERIFY(t->window->minimumSize() == t->window->maximumSize());
    QVERIFY(t->window->width() >= 384 && t->window->height() >= 249);
    QVERIFY(!(t->window->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(t->window->windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(QApplication::focusWidget(), t->control<QWidget>("编辑框1"));
    QVERIFY(!t->control<QRadioButton>("文字1")->isChecked());
    QVERIFY(!t->control<QRadioButton>("文字2")->isChecked());
    for (const char *picker : {"颜色选择器1", "颜色选择器2", "颜色选择器3"})
        QCOMPARE(t->control<ColourPicker>(picker)->colour(), 0u);
    QCOMPARE(t->control<PictureBox>("图片框1")->backgroundColour(), 0x00808080u);
    // The arrow mark lies beyond the client area, so it is never seen.
    QVERIFY(!t->window->rect().intersects(t->control<QWidget>("透明标签2")->geometry()));
    // Radio buttons exclude each other.
    t->control<QRadioButton>("文字2")->click();
    t->control<QRadioButton>("文字1")->click();
    QVERIFY(!t->control<QRadioButton>("文字2")->isChecked());
}

void WindowTest::tabCycle()
{
    auto t = TestWindow::create();
    QVERIFY(t);
    const QStringList expected{
        "编辑框2", "颜色选择器2", "颜色选择器3", "按钮5", "按钮2", "按钮3", "按钮4", "文字1",
        "文字2", "按钮6", "按钮7", "按钮8", "颜色选择器1", "按钮1", "按钮11", "编辑框1"};
    for (const QString &name : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), name);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("按钮11"));
    // Tab in an edit box moves on; no tab character is inserted.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(t->control<EditBox>("编辑框1")->text(), QString());
}

void WindowTest::escClosesFromAnyControl_data()
{
    QTest::addColumn<QString>("control");
    for (const char *name : {"编辑框1", "编辑框2", "按钮3", "文字1", "颜色选择器1", "按钮11"})
        QTest::newRow(name) << QString::fromUtf8(name);
}

void WindowTest::escClosesFromAnyControl()
{
    QFETCH(QString, control);
    auto t = TestWindow::create();
    QVERIFY(t);
    auto *widget = t->window->control<QWidget>(control);
    widget->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), widget);
    QTest::keyClick(widget, Qt::Key_Escape);
    QVERIFY(!t->window->isVisible());
}

void WindowTest::enterInEditBoxInsertsLineBreak()
{
    auto t = TestWindow::create();
    QVERIFY(t);
    QSignalSpy saves(t->control<QAbstractButton>("按钮6"), &QAbstractButton::clicked);
    auto *edit = t->control<EditBox>("编辑框1");
    QTest::keyClicks(edit, "ab");
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClicks(edit, "c");
    QCOMPARE(edit->text(), QStringLiteral("ab\r\nc"));
    QCOMPARE(QApplication::focusWidget(), edit);
    QCOMPARE(saves.count(), 0);
    QVERIFY(t->platform.messages.empty());
    // Enter on a focused push button clicks nothing either: none is a default button.
    auto *button = t->control<QAbstractButton>("按钮6");
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Return);
    QCOMPARE(saves.count(), 0);
}

void WindowTest::focusComesBackAfterReactivation()
{
    auto t = TestWindow::create();
    QVERIFY(t);
    auto *button = t->control<QWidget>("按钮3");
    button->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), button);
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    t->window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(t->window.get()));
    QCOMPARE(QApplication::focusWidget(), button);
}

void WindowTest::hyperlinkOpensAboutPage()
{
    auto t = TestWindow::create();
    QVERIFY(t);
    auto *link = t->control<HyperlinkBox>("超级链接框1");
    QCOMPARE(link->textColour(), QColor(0, 0, 255));
    QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
    t->platform.openUrlSucceeds = false;
    QTest::mouseClick(link, Qt::LeftButton);
    QCOMPARE(t->platform.openedUrls.size(), size_t(1));
    QCOMPARE(link->textColour(), QColor(0, 0, 255)); // not opened: stays blue
    t->platform.openUrlSucceeds = true;
    QTest::mouseClick(link, Qt::LeftButton);
    QVERIFY(t->platform.openedUrls.back().isLocalFile());
    QVERIFY(t->platform.openedUrls.back().toLocalFile().endsWith(QLatin1String("/about.html")));
    QVERIFY(link->visited());
    QVERIFY(t->control<HyperlinkBox>("超级链接框2")->raisedEdge());
    QVERIFY(!link->raisedEdge());
}

void WindowTest::fatalStartup_data()
{
    QTest::addColumn<bool>("readable");
    QTest::addColumn<QByteArray>("definition");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("exitStepRegistered");

    const QString unreadable = QStringLiteral("无法读取窗口定义，程序无法启动。");
    const QString unbuildable = QStringLiteral("无法创建主窗口，程序无法启动。");
    QTest::newRow("missing") << false << QByteArray() << unreadable << false;
    QTest::newRow("truncated") << true << builtInWindowDefinition().left(500) << unreadable << false;
    QTest::newRow("not a definition") << true << QByteArray("{\"controls\":[]}") << unreadable << false;

    const auto damaged = [](auto change) {
        QJsonObject root = QJsonDocument::fromJson(builtInWindowDefinition()).object();
        change(root);
        return QJsonDocument(root).toJson();
    };
    QTest::newRow("unknown kind") << true << damaged([](QJsonObject &root) {
        QJsonArray controls = root["controls"].toArray();
        QJsonObject first = controls[0].toObject();
        first["kind"] = "slider";
        controls[0] = first;
        root["controls"] = controls;
    }) << unbuildable << true;
    QTest::newRow("unknown parent") << true << damaged([](QJsonObject &root) {
        QJsonArray controls = root["controls"].toArray();
        QJsonObject last = controls[controls.size() - 1].toObject();
        last["parent"] = "按钮1";
        controls[controls.size() - 1] = last;
        root["controls"] = controls;
    }) << unbuildable << true;
    QTest::newRow("unknown handler") << true << damaged([](QJsonObject &root) {
        QJsonArray bindings = root["bindings"].toArray();
        QJsonObject first = bindings[0].toObject();
        first["handler"] = "noSuchHandler";
        bindings[0] = first;
        root["bindings"] = bindings;
    }) << unbuildable << true;
}

void WindowTest::fatalStartup()
{
    QFETCH(bool, readable);
    QFETCH(QByteArray, definition);
    QFETCH(QString, message);
    QFETCH(bool, exitStepRegistered);
    ScriptedPlatform platform;
    ExitStep exitStep;
    StartupOptions options;
    if (readable)
        options.definition = definition;
    options.runLoop = false;
    QCOMPARE(runProgram(platform, options, exitStep), -1);
    QCOMPARE(platform.messages.size(), size_t(1));
    QCOMPARE(platform.messages[0].text, message);
    QCOMPARE(platform.messages[0].icon, MessageIcon::Error);
    QVERIFY(!platform.messages[0].hadOwner);
    QCOMPARE(exitStep.timesRun(), exitStepRegistered ? 1 : 0);
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY(!w->isVisible() || w->windowTitle() != QLatin1String("Tilvane"));
}

void WindowTest::normalStartupRunsExitStepOnce()
{
    ScriptedPlatform platform;
    ExitStep exitStep;
    StartupOptions options;
    options.definition = builtInWindowDefinition();
    options.runLoop = false;
    QCOMPARE(runProgram(platform, options, exitStep), 0);
    QCOMPARE(exitStep.timesRun(), 1);
    exitStep.runOnce();
    QCOMPARE(exitStep.timesRun(), 1);
    QVERIFY(platform.messages.empty());
}

QTEST_MAIN(WindowTest)
#include "test_window.moc"
