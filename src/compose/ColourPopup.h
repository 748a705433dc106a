#pragma once
// The palette popup of a colour picker: 32 colour boxes, 7 to a row, and the
// entry "其它颜色..." below them. It lives as its own top-level popup window,
// so its keys (Esc above all) never reach the main window's key step.

#include <QWidget>
#include <cstdint>

namespace tilvane {

class ColourPopup : public QWidget {
    Q_OBJECT
public:
    // Items: the boxes are 0..31 in palette order, then the entry below them.
    static constexpr int kNoItem = -1;
    static constexpr int kOtherItem = 32;
    static constexpr int kEdgeWidth = 2; // the platform's 3D edge width

    enum class Outcome {
        Cancelled,
        Chosen,       // the colour given with it
        OtherColours, // "其它颜色..." was confirmed: the colour dialog decides
    };
    Q_ENUM(Outcome)

    explicit ColourPopup(QWidget *parent = nullptr);
    ~ColourPopup() override;

    // Shows the popup with its top-left corner at anchor (global), moved just
    // enough to stay inside screenArea. startColour is the starting and the
    // tentative choice.
    void open(std::uint32_t startColour, const QPoint &anchor, const QRect &screenArea);
    bool isOpen() const { return open_; }

    std::uint32_t startColour() const { return start_; }
    std::uint32_t tentativeColour() const { return tentative_; }
    int highlight() const { return highlight_; }
    // Browses to item; a box becomes the tentative choice. kNoItem is ignored.
    void setHighlight(int item);
    // The item drawn sunken: the box of the starting colour, or the entry
    // when the starting colour is not in the palette.
    int sunkenItem() const { return sunken_; }

    // Closes the popup and reports its outcome, as Enter and Escape do.
    void confirm();
    void cancel();

    // Widget coordinates of an item, and the item at a point (kNoItem for the
    // frame, the margins and the empty cells of the last row).
    QRect itemRect(int item) const;
    int itemAt(const QPoint &pos) const;

    static int boxSize();
    // The item an arrow key leads to from item; other keys leave it.
    static int navigate(int item, int key);
    // The top-left of popup after moving it left, right or up just enough to
    // keep it inside screen.
    static QPoint placeOnScreen(const QRect &popup, const QRect &screen);

    QSize sizeHint() const override;

signals:
    // Exactly once per opening, after the popup has been hidden.
    void finished(tilvane::ColourPopup::Outcome outcome, std::uint32_t colour);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    int entryHeight() const;
    QRect gridRect() const;
    void finish(Outcome outcome, std::uint32_t colour, bool hiding);

    std::uint32_t start_ = 0;
    std::uint32_t tentative_ = 0;
    int highlight_ = kNoItem;
    int sunken_ = kNoItem;
    bool open_ = false;
    bool pressed_ = false; // a left press seen since opening: the click is complete on its release
};

} // namespace tilvane
