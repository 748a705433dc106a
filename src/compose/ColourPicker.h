#pragma once
// A drop-down colour button: its face shows the current colour; releasing the
// left button over it opens the palette popup.

#include "compose/ColourPopup.h"

#include <QAbstractButton>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <optional>

namespace tilvane {

class ColourPicker : public QAbstractButton {
    Q_OBJECT
public:
    // The colour dialog behind "其它颜色...": preset (nullopt: none), result.
    using ColourDialog = std::function<std::optional<std::uint32_t>(QWidget *owner, std::optional<std::uint32_t>)>;

    explicit ColourPicker(QWidget *parent = nullptr);

    std::uint32_t colour() const { return colour_; }
    // Sets the colour without raising colourChanged (only a confirmation does).
    void setColour(std::uint32_t colour);
    void setColourDialog(ColourDialog dialog) { colourDialog_ = std::move(dialog); }

    // Opens the palette below the picker, as releasing the left button over
    // it does. Nothing happens while it is already open, the dialog is up, or
    // the picker is disabled.
    void openPopup();
    bool isPopupOpen() const { return popup_ && popup_->isOpen(); }
    // The popup, once it has been opened.
    ColourPopup *popup() const { return popup_; }

    QSize sizeHint() const override { return {40, 24}; }

signals:
    // Raised on every confirmation, also of the colour it already had.
    void colourChanged(std::uint32_t colour);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    void popupFinished(ColourPopup::Outcome outcome, std::uint32_t colour);
    void takeColour(std::uint32_t colour);

    std::uint32_t colour_ = 0;
    ColourDialog colourDialog_;
    QPointer<ColourPopup> popup_;
    bool inDialog_ = false;
};

} // namespace tilvane
