#pragma once
// The window definition: every control in definition order with its kind,
// parent, place, tab stop and settings, and the event bindings.

#include <QByteArray>
#include <QJsonObject>
#include <QRect>
#include <QString>
#include <optional>
#include <vector>

namespace tilvane {

struct ControlDefinition {
    QString name;
    QString kind;   // button, radio, edit, pictureBox, label, groupBox, colourPicker, hyperlink, dialog
    QString parent; // "window" or the name of a container
    std::optional<QRect> place;
    bool tabStop = false;
    QJsonObject settings; // the kind's own settings, as written
};

struct EventBinding {
    QString control;
    QString event;   // click, contentChanged, colourChanged, keyDown
    QString handler;
};

struct WindowDefinition {
    QString name;
    QString caption;
    int outerWidth = 0;
    int outerHeight = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    bool escapeCloses = true;
    std::vector<ControlDefinition> controls;
    std::vector<EventBinding> bindings;
};

// Reads a definition; nullopt (with the reason in *error) when it is damaged.
std::optional<WindowDefinition> parseWindowDefinition(const QByteArray &source, QString *error = nullptr);

// The definition compiled into the program.
QByteArray builtInWindowDefinition();

// "0x00BBGGRR" strings or plain numbers; nullopt when neither.
std::optional<quint32> parseColourSetting(const QJsonValue &value);

} // namespace tilvane
