#include "app/WindowBuilder.h"

#include "app/Controls.h"
#include "app/KeyStep.h"
#include "compose/Colour.h"
#include "compose/ColourPicker.h"
#include "compose/FontRecord.h"
#include "compose/HyperlinkBox.h"
#include "compose/PictureBox.h"
#include "compose/TextOverlay.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QJsonObject>
#include <QRadioButton>
#include <QScreen>

namespace tilvane {
namespace {

bool failWith(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

std::uint32_t colourSetting(const QJsonObject &settings, const char *key, std::uint32_t fallback)
{
    const auto value = parseColourSetting(settings.value(QLatin1String(key)));
    return value ? *value : fallback;
}

std::optional<QByteArray> fontSetting(const QJsonObject &settings)
{
    const QJsonValue value = settings.value(QLatin1String("font"));
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject f = value.toObject();
    FontRecord r;
    r.height = f.value(QLatin1String("height")).toInt();
    r.width = f.value(QLatin1String("width")).toInt();
    r.escapement = f.value(QLatin1String("escapement")).toInt();
    r.orientation = f.value(QLatin1String("orientation")).toInt();
    r.weight = f.value(QLatin1String("weight")).toInt();
    r.italic = std::uint8_t(f.value(QLatin1String("italic")).toInt());
    r.underline = std::uint8_t(f.value(QLatin1String("underline")).toInt());
    r.strikeOut = std::uint8_t(f.value(QLatin1String("strikeOut")).toInt());
    r.charSet = std::uint8_t(f.value(QLatin1String("charSet")).toInt());
    r.outPrecision = std::uint8_t(f.value(QLatin1String("outPrecision")).toInt());
    r.clipPrecision = std::uint8_t(f.value(QLatin1String("clipPrecision")).toInt());
    r.quality = std::uint8_t(f.value(QLatin1String("quality")).toInt());
    r.pitchAndFamily = std::uint8_t(f.value(QLatin1String("pitchAndFamily")).toInt());
    r.setFaceBytes(toGbk(f.value(QLatin1String("face")).toString()));
    return r.serialise();
}

QUrl resolveTarget(const QString &target)
{
    const QUrl url(target);
    if (url.isValid() && !url.isRelative())
        return url;
    // Relative targets ship beside the program.
    return QUrl::fromLocalFile(QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(target));
}

bool isContainerKind(const QString &kind)
{
    return kind == QLatin1String("groupBox") || kind == QLatin1String("pictureBox");
}

QObject *createControl(const ControlDefinition &def, MainWindow &window, Platform &platform, QString *error)
{
    const QJsonObject &s = def.settings;
    const QString caption = s.value(QLatin1String("caption")).toString();
    if (def.kind == QLatin1String("dialog")) {
        const QString role = s.value(QLatin1String("dialog")).toString();
        CommonDialog::Kind kind;
        if (role == QLatin1String("openFile"))
            kind = CommonDialog::Kind::OpenFile;
        else if (role == QLatin1String("saveFile"))
            kind = CommonDialog::Kind::SaveFile;
        else if (role == QLatin1String("font"))
            kind = CommonDialog::Kind::Font;
        else {
            failWith(error, QStringLiteral("dialog %1 has an unknown role").arg(def.name));
            return nullptr;
        }
        return new CommonDialog(kind, &window);
    }
    if (!def.place) {
        failWith(error, QStringLiteral("control %1 has no place").arg(def.name));
        return nullptr;
    }
    QWidget *widget = nullptr;
    if (def.kind == QLatin1String("button")) {
        auto *button = new PushButton(&window);
        button->setText(caption);
        widget = button;
    } else if (def.kind == QLatin1String("radio")) {
        auto *radio = new QRadioButton(caption, &window);
        radio->setChecked(s.value(QLatin1String("checked")).toBool(false));
        QPalette pal = radio->palette();
        pal.setColor(QPalette::WindowText, Qt::black);
        radio->setPalette(pal);
        widget = radio;
    } else if (def.kind == QLatin1String("edit")) {
        auto *edit = new EditBox(&window);
        edit->setText(s.value(QLatin1String("text")).toString());
        widget = edit;
    } else if (def.kind == QLatin1String("pictureBox")) {
        auto *box = new PictureBox(&window);
        box->setBackgroundColour(colourSetting(s, "background", 0x00808080));
        widget = box;
    } else if (def.kind == QLatin1String("label")) {
        auto *label = new TextOverlay(&window);
        if (s.contains(QLatin1String("caption")))
            label->setCaption(caption);
        label->setTextColour(colourSetting(s, "colour", 0));
        label->setFontRecord(fontSetting(s));
        label->setEffect(s.value(QLatin1String("effect")).toInt(0));
        label->setHorizontalAlignment(s.value(QLatin1String("hAlign")).toInt(0));
        label->setWordWrap(s.value(QLatin1String("wordWrap")).toInt(0));
        label->setVerticalAlignment(s.value(QLatin1String("vAlign")).toInt(1));
        widget = label;
    } else if (def.kind == QLatin1String("groupBox")) {
        auto *group = new GroupBox(&window);
        group->setCaption(caption);
        const QString align = s.value(QLatin1String("captionAlign")).toString();
        group->setCaptionAlignment(align == QLatin1String("centre")  ? Qt::AlignHCenter
                                   : align == QLatin1String("right") ? Qt::AlignRight
                                                                     : Qt::AlignLeft);
        group->setCaptionColour(colourSetting(s, "captionColour", 0));
        widget = group;
    } else if (def.kind == QLatin1String("colourPicker")) {
        auto *picker = new ColourPicker(&window);
        picker->setColour(colourSetting(s, "colour", 0));
        picker->setColourDialog([&platform](QWidget *owner, std::optional<std::uint32_t> initial) {
            return platform.chooseColour(owner, initial);
        });
        widget = picker;
    } else if (def.kind == QLatin1String("hyperlink")) {
        auto *link = new HyperlinkBox(&window);
        link->setCaption(caption);
        link->setTarget(resolveTarget(s.value(QLatin1String("target")).toString()));
        link->setRaisedEdge(s.value(QLatin1String("edge")).toString() == QLatin1String("raised"));
        link->setOpener([&platform](const QUrl &url) { return platform.openUrl(url); });
        widget = link;
    } else {
        failWith(error, QStringLiteral("control %1 has an unknown kind %2").arg(def.name, def.kind));
        return nullptr;
    }
    // Labels clamp their own place; every other kind takes it as written.
    if (auto *label = qobject_cast<TextOverlay *>(widget))
        label->setPlace(def.place->x(), def.place->y(), def.place->width(), def.place->height());
    else
        widget->setGeometry(*def.place);
    if (!def.tabStop)
        widget->setFocusPolicy(Qt::NoFocus);
    else if (widget->focusPolicy() == Qt::NoFocus)
        widget->setFocusPolicy(Qt::StrongFocus);
    return widget;
}

std::optional<ControlEvent> eventByName(const QString &name)
{
    if (name == QLatin1String("click"))
        return ControlEvent::Click;
    if (name == QLatin1String("contentChanged"))
        return ControlEvent::ContentChanged;
    if (name == QLatin1String("colourChanged"))
        return ControlEvent::ColourChanged;
    if (name == QLatin1String("keyDown"))
        return ControlEvent::KeyDown;
    return std::nullopt;
}

bool connectEvent(MainWindow &window, QObject *control, ControlEvent event)
{
    const QString name = control->objectName();
    MainWindow *w = &window;
    switch (event) {
    case ControlEvent::Click:
        if (auto *button = qobject_cast<QAbstractButton *>(control)) {
            if (qobject_cast<ColourPicker *>(control))
                return false;
            QObject::connect(button, &QAbstractButton::clicked, w,
                             [w, name] { w->raiseEvent(name, ControlEvent::Click); });
            return true;
        }
        return false;
    case ControlEvent::ContentChanged:
        if (auto *edit = qobject_cast<EditBox *>(control)) {
            QObject::connect(edit, &EditBox::contentChanged, w,
                             [w, name] { w->raiseEvent(name, ControlEvent::ContentChanged); });
            return true;
        }
        return false;
    case ControlEvent::ColourChanged:
        if (auto *picker = qobject_cast<ColourPicker *>(control)) {
            QObject::connect(picker, &ColourPicker::colourChanged, w,
                             [w, name] { w->raiseEvent(name, ControlEvent::ColourChanged); });
            return true;
        }
        return false;
    case ControlEvent::KeyDown:
        // Raised by the window-wide key step for the focused control.
        return qobject_cast<QWidget *>(control) != nullptr;
    }
    return false;
}

} // namespace

std::unique_ptr<MainWindow> buildMainWindow(const WindowDefinition &definition, Platform &platform,
                                            const HandlerTable &handlers, QString *error)
{
    auto window = std::make_unique<MainWindow>(platform);
    window->setObjectName(definition.name);
    window->setWindowTitle(definition.caption);
    window->setEscapeCloses(definition.escapeCloses);
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                           | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
                           | Qt::MSWindowsFixedSizeDialogHint);
    window->setFixedSize(definition.clientWidth, definition.clientHeight);
    window->setAutoFillBackground(true);
    QPalette pal = window->palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button));
    window->setPalette(pal);
    if (const auto record = FontRecord::parse(platform.defaultGuiFontRecord()))
        window->setFont(qfontFromRecord(*record, window->font()));

    QStringList seen;
    std::vector<std::pair<QObject *, const ControlDefinition *>> created;
    for (const ControlDefinition &def : definition.controls) {
        if (seen.contains(def.name)) {
            failWith(error, QStringLiteral("control name %1 is used twice").arg(def.name));
            return nullptr;
        }
        seen.append(def.name);
        QObject *control = createControl(def, *window, platform, error);
        if (!control)
            return nullptr;
        control->setObjectName(def.name);
        window->addControl(control, def.tabStop);
        created.emplace_back(control, &def);
    }

    // Attach each control to its parent; the place stays relative to it.
    for (auto &[control, def] : created) {
        if (def->parent == QLatin1String("window") || def->parent.isEmpty())
            continue;
        auto *widget = qobject_cast<QWidget *>(control);
        const ControlDefinition *parentDef = nullptr;
        for (const auto &[other, otherDef] : created)
            if (otherDef->name == def->parent)
                parentDef = otherDef;
        if (!widget || !parentDef || !isContainerKind(parentDef->kind)) {
            failWith(error, QStringLiteral("control %1 cannot go into %2").arg(def->name, def->parent));
            return nullptr;
        }
        auto *parentWidget = window->control<QWidget>(def->parent);
        const QRect place = widget->geometry();
        widget->setParent(parentWidget);
        widget->setGeometry(place);
    }

    // Stack: among siblings, the first listed lies on top.
    for (auto it = created.rbegin(); it != created.rend(); ++it)
        if (auto *widget = qobject_cast<QWidget *>(it->first))
            widget->raise();

    for (const EventBinding &binding : definition.bindings) {
        QObject *control = window->control<QObject>(binding.control);
        const auto event = eventByName(binding.event);
        const auto handler = handlers.find(binding.handler);
        if (!control || !event || handler == handlers.end()) {
            failWith(error, QStringLiteral("binding %1/%2/%3 cannot be made")
                                .arg(binding.control, binding.event, binding.handler));
            return nullptr;
        }
        if (!window->hasBinding(binding.control, *event) && !connectEvent(*window, control, *event)) {
            failWith(error, QStringLiteral("control %1 has no %2 event").arg(binding.control, binding.event));
            return nullptr;
        }
        window->bind(binding.control, *event, handler->second);
    }

    installKeyStep(*window);
    return window;
}

void showMainWindow(MainWindow &window, int outerWidth, int outerHeight)
{
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        window.move(area.x() + (area.width() - outerWidth) / 2, area.y() + (area.height() - outerHeight) / 2);
    }
    window.show();
    const std::vector<QWidget *> cycle = window.tabCycle();
    for (QWidget *candidate : cycle) {
        if (candidate->isVisible() && candidate->isEnabled()) {
            candidate->setFocus(Qt::OtherFocusReason);
            break;
        }
    }
    window.activateWindow();
}

} // namespace tilvane
