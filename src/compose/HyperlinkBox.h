#pragma once
// A credit link: centred text, blue; silver under the pointer; dark red once
// its target has been opened. A left press opens the target.

#include <QUrl>
#include <QWidget>
#include <functional>

namespace tilvane {

class HyperlinkBox : public QWidget {
    Q_OBJECT
public:
    using Opener = std::function<bool(const QUrl &)>;

    explicit HyperlinkBox(QWidget *parent = nullptr);

    QString caption() const { return caption_; }
    void setCaption(const QString &text);
    QUrl target() const { return target_; }
    void setTarget(const QUrl &url) { target_ = url; }
    bool raisedEdge() const { return raisedEdge_; }
    void setRaisedEdge(bool on);
    bool visited() const { return visited_; }
    bool hovered() const { return hovered_; }
    void setOpener(Opener opener) { opener_ = std::move(opener); }

    // The colour the text is drawn in now.
    QColor textColour() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QString caption_;
    QUrl target_;
    bool raisedEdge_ = false;
    bool visited_ = false;
    bool hovered_ = false;
    Opener opener_;
};

} // namespace tilvane
