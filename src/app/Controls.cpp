#include "app/Controls.h"

#include "compose/Colour.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QTextDocument>
#include <qdrawutil.h>

namespace tilvane {

PushButton::PushButton(QWidget *parent) : QPushButton(parent)
{
    // No default button in this window: Enter never clicks one.
    setAutoDefault(false);
    setDefault(false);
    setFocusPolicy(Qt::StrongFocus);
}

void PushButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);

    QRect textRect = rect().adjusted(3, 1, -3, -1);
    if (isDown() || isChecked())
        textRect.translate(1, 1);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextWordWrap, caption);
}

void PushButton::keyPressEvent(QKeyEvent *event)
{
    // A push button ignores arrow keys; Qt's own buttons would move the focus.
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        event->ignore();
        return;
    default:
        QPushButton::keyPressEvent(event);
    }
}

EditBox::EditBox(QWidget *parent) : QPlainTextEdit(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setTabChangesFocus(true);
    setFocusPolicy(Qt::StrongFocus);
    // The boxes are 16 pixels high: a 1-pixel edge and no document margin
    // leave exactly one 14-pixel line of the 12-pixel font.
    document()->setDocumentMargin(0);
    setViewportMargins(2, 0, 1, 0);

    QPalette pal = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Base, Qt::white);
        pal.setColor(group, QPalette::Text, Qt::black);
    }
    // The selection is hidden while the box has no focus.
    pal.setColor(QPalette::Inactive, QPalette::Highlight, Qt::white);
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::black);
    setPalette(pal);

    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        const QString now = toPlainText();
        if (now == lastText_)
            return;
        lastText_ = now;
        emit contentChanged();
    });
}

QString EditBox::text() const
{
    QString text = toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

void EditBox::setText(const QString &text)
{
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    setPlainText(plain);
}

GroupBox::GroupBox(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

void GroupBox::setCaption(const QString &text)
{
    caption_ = text;
    update();
}

void GroupBox::setCaptionAlignment(Qt::Alignment alignment)
{
    alignment_ = alignment;
    update();
}

void GroupBox::setCaptionColour(std::uint32_t colour)
{
    captionColour_ = colour;
    update();
}

void GroupBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int lineY = metrics.height() / 2;
    // The etched frame, set down to the middle of the caption's line.
    qDrawShadeRect(&painter, QRect(0, lineY, width(), height() - lineY), palette(), true, 1, 0);
    if (caption_.isEmpty())
        return;
    const int textWidth = std::min(metrics.horizontalAdvance(caption_), std::max(0, width() - 16));
    int textX = 8;
    if (alignment_ & Qt::AlignHCenter)
        textX = (width() - textWidth) / 2;
    else if (alignment_ & Qt::AlignRight)
        textX = width() - 8 - textWidth;
    const QRect textRect(textX, 0, textWidth, metrics.height());
    painter.fillRect(textRect.adjusted(-2, 0, 2, 0), palette().color(QPalette::Button));
    painter.setPen(toQColor(captionColour_));
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, caption_);
}

} // namespace tilvane
