#include "app/WindowDefinition.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

// Resources compiled into a static library must be registered by hand.
static void initWindowResources() { Q_INIT_RESOURCE(resources); }

namespace tilvane {
namespace {

bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

bool readInt(const QJsonObject &object, const char *key, int *out)
{
    const QJsonValue v = object.value(QLatin1String(key));
    if (!v.isDouble())
        return false;
    const double d = v.toDouble();
    if (d != double(int(d)))
        return false;
    *out = int(d);
    return true;
}

} // namespace

std::optional<quint32> parseColourSetting(const QJsonValue &value)
{
    if (value.isDouble()) {
        const double d = value.toDouble();
        if (d < 0 || d > 4294967295.0 || d != double(qint64(d)))
            return std::nullopt;
        return quint32(qint64(d));
    }
    if (value.isString()) {
        bool ok = false;
        const quint32 v = value.toString().toUInt(&ok, 0);
        if (ok)
            return v;
    }
    return std::nullopt;
}

std::optional<WindowDefinition> parseWindowDefinition(const QByteArray &source, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(source, &parseError);
    if (doc.isNull() || !doc.isObject()) {
        fail(error, QStringLiteral("not a JSON object: %1").arg(parseError.errorString()));
        return std::nullopt;
    }
    const QJsonObject root = doc.object();
    if (root.value(QLatin1String("format")).toString() != QLatin1String("tilvane-window")) {
        fail(error, QStringLiteral("not a window definition"));
        return std::nullopt;
    }

    WindowDefinition def;
    const QJsonObject window = root.value(QLatin1String("window")).toObject();
    def.name = window.value(QLatin1String("name")).toString();
    def.caption = window.value(QLatin1String("caption")).toString();
    def.escapeCloses = window.value(QLatin1String("escapeCloses")).toBool(true);
    if (!readInt(window, "outerWidth", &def.outerWidth) || !readInt(window, "outerHeight", &def.outerHeight)
        || !readInt(window, "clientWidth", &def.clientWidth) || !readInt(window, "clientHeight", &def.clientHeight)
        || def.clientWidth <= 0 || def.clientHeight <= 0) {
        fail(error, QStringLiteral("window size missing"));
        return std::nullopt;
    }

    const QJsonValue controls = root.value(QLatin1String("controls"));
    if (!controls.isArray()) {
        fail(error, QStringLiteral("no control list"));
        return std::nullopt;
    }
    for (const QJsonValue &value : controls.toArray()) {
        if (!value.isObject()) {
            fail(error, QStringLiteral("a control is not an object"));
            return std::nullopt;
        }
        QJsonObject object = value.toObject();
        ControlDefinition control;
        control.name = object.take(QLatin1String("name")).toString();
        control.kind = object.take(QLatin1String("kind")).toString();
        control.parent = object.take(QLatin1String("parent")).toString(QStringLiteral("window"));
        control.tabStop = object.take(QLatin1String("tabStop")).toBool(false);
        if (control.name.isEmpty() || control.kind.isEmpty()) {
            fail(error, QStringLiteral("a control without name or kind"));
            return std::nullopt;
        }
        if (object.contains(QLatin1String("left"))) {
            int left = 0, top = 0, width = 0, height = 0;
            if (!readInt(object, "left", &left) || !readInt(object, "top", &top) || !readInt(object, "width", &width)
                || !readInt(object, "height", &height) || width < 0 || height < 0) {
                fail(error, QStringLiteral("control %1 has a bad place").arg(control.name));
                return std::nullopt;
            }
            control.place = QRect(left, top, width, height);
            for (const char *key : {"left", "top", "width", "height"})
                object.remove(QLatin1String(key));
        }
        control.settings = object;
        def.controls.push_back(std::move(control));
    }

    for (const QJsonValue &value : root.value(QLatin1String("bindings")).toArray()) {
        const QJsonObject object = value.toObject();
        EventBinding binding{object.value(QLatin1String("control")).toString(),
                             object.value(QLatin1String("event")).toString(),
                             object.value(QLatin1String("handler")).toString()};
        if (binding.control.isEmpty() || binding.event.isEmpty() || binding.handler.isEmpty()) {
            fail(error, QStringLiteral("an incomplete event binding"));
            return std::nullopt;
        }
        def.bindings.push_back(binding);
    }
    return def;
}

QByteArray builtInWindowDefinition()
{
    initWindowResources();
    QFile file(QStringLiteral(":/tilvane/window.json"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace tilvane
