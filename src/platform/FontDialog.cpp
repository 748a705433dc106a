// The font dialog of the desktop build: face, style and size lists side by
// side, an effects group with strike-out, underline and the text colour, and
// a sample. Qt's own font dialog has no colour control, and its face list
// offers names a 60-byte font record cannot hold, so the program uses this one.
#include "platform/QtPlatform.h"

#include "compose/Colour.h"
#include "compose/FontMembers.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace tilvane {
namespace {

// Sizes above this make glyphs far larger than any screen; below 1 point
// nothing is legible.
constexpr double kMinPoints = 1.0;
constexpr double kMaxPoints = 1638.0;

struct NamedSize {
    const char *name;
    double points;
};

// The Chinese type sizes, as a Chinese user expects to find them, then points.
constexpr NamedSize kNamedSizes[] = {
    {"初号", 42}, {"小初", 36}, {"一号", 26},  {"小一", 24}, {"二号", 22}, {"小二", 18},
    {"三号", 16}, {"小三", 15}, {"四号", 14},  {"小四", 12}, {"五号", 10.5}, {"小五", 9},
    {"六号", 7.5}, {"小六", 6.5}, {"七号", 5.5}, {"八号", 5},
};
constexpr int kPointSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

struct BasicColour {
    const char *name;
    std::uint32_t ref;
};

constexpr BasicColour kBasicColours[] = {
    {"黑色", colourRef(0, 0, 0)},         {"褐红色", colourRef(128, 0, 0)},   {"绿色", colourRef(0, 128, 0)},
    {"橄榄色", colourRef(128, 128, 0)},   {"深蓝色", colourRef(0, 0, 128)},   {"紫色", colourRef(128, 0, 128)},
    {"深青色", colourRef(0, 128, 128)},   {"灰色", colourRef(128, 128, 128)}, {"银色", colourRef(192, 192, 192)},
    {"红色", colourRef(255, 0, 0)},       {"酸橙色", colourRef(0, 255, 0)},   {"黄色", colourRef(255, 255, 0)},
    {"蓝色", colourRef(0, 0, 255)},       {"紫红色", colourRef(255, 0, 255)}, {"水绿色", colourRef(0, 255, 255)},
    {"白色", colourRef(255, 255, 255)},
};

struct StyleEntry {
    QString label;
    int weight;
    bool italic;
};

// Faces a font record can name exactly: GBK, at most 31 bytes.
QStringList listableFamilies()
{
    QStringList families;
    for (const QString &listed : QFontDatabase::families()) {
        if (QFontDatabase::isPrivateFamily(listed))
            continue;
        // A face installed from several foundries is listed once per foundry
        // as "Face [Foundry]"; the user chooses the face, not the foundry.
        QString family = listed;
        const qsizetype bracket = family.indexOf(QLatin1String(" ["));
        if (bracket > 0 && family.endsWith(QLatin1Char(']')))
            family.truncate(bracket);
        if (storableFaceBytes(family) && !families.contains(family))
            families.append(family);
    }
    return families;
}

// The four styles every face can be drawn in (synthesised where the face has
// no such file), then the face's own further weights.
std::vector<StyleEntry> stylesOf(const QString &family)
{
    std::vector<StyleEntry> styles{{QStringLiteral("常规"), 400, false},
                                   {QStringLiteral("斜体"), 400, true},
                                   {QStringLiteral("粗体"), 700, false},
                                   {QStringLiteral("粗斜体"), 700, true}};
    for (const QString &style : QFontDatabase::styles(family)) {
        const int weight = QFontDatabase::weight(family, style);
        const bool italic = QFontDatabase::italic(family, style);
        if (weight <= 0)
            continue;
        const bool known = std::any_of(styles.begin(), styles.end(), [&](const StyleEntry &s) {
            return s.weight == weight && s.italic == italic;
        });
        if (!known)
            styles.push_back({style, weight, italic});
    }
    std::stable_sort(styles.begin(), styles.end(), [](const StyleEntry &a, const StyleEntry &b) {
        return a.weight != b.weight ? a.weight < b.weight : int(a.italic) < int(b.italic);
    });
    return styles;
}

std::optional<double> parseSize(const QString &text)
{
    const QString trimmed = text.trimmed();
    for (const NamedSize &named : kNamedSizes)
        if (trimmed == QString::fromUtf8(named.name))
            return named.points;
    bool ok = false;
    const double points = trimmed.toDouble(&ok);
    if (!ok || !std::isfinite(points) || points < kMinPoints || points > kMaxPoints)
        return std::nullopt;
    return points;
}

QString sizeText(double points)
{
    // One decimal is enough for any height to come back unchanged.
    return QString::number(std::round(points * 10.0) / 10.0, 'g', 6);
}

QIcon swatch(std::uint32_t ref)
{
    QPixmap pixmap(16, 12);
    pixmap.fill(toQColor(ref));
    QPainter painter(&pixmap);
    painter.setPen(Qt::darkGray);
    painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return QIcon(pixmap);
}

class FontChooserDialog : public QDialog {
public:
    FontChooserDialog(QWidget *owner, const FontDialogRequest &request, int dpiY);
    FontDialogChoice choice() const;

private:
    void buildWidgets();
    void preselect(const FontDialogRequest &request, const QFont &ownerFont);
    void fillStyles(int weight, bool italic);
    void selectFace(const QString &family);
    void faceTyped(const QString &text);
    void sizeTyped(const QString &text);
    void colourPicked(int index);
    void setColour(std::uint32_t ref);
    std::optional<QString> chosenFace() const;
    const StyleEntry *chosenStyle() const;
    void refresh();

    int dpiY_;
    QStringList families_;
    std::vector<StyleEntry> styles_;
    std::uint32_t colour_ = 0;
    int lastColourIndex_ = 0;
    bool syncing_ = false;

    QLineEdit *faceEdit_ = nullptr;
    QListWidget *faceList_ = nullptr;
    QListWidget *styleList_ = nullptr;
    QLineEdit *sizeEdit_ = nullptr;
    QListWidget *sizeList_ = nullptr;
    QCheckBox *strikeOutBox_ = nullptr;
    QCheckBox *underlineBox_ = nullptr;
    QComboBox *colourBox_ = nullptr;
    QLabel *sample_ = nullptr;
    QPushButton *okButton_ = nullptr;
};

FontChooserDialog::FontChooserDialog(QWidget *owner, const FontDialogRequest &request, int dpiY)
    : QDialog(owner), dpiY_(dpiY > 0 ? dpiY : 96), families_(listableFamilies())
{
    // The dialog speaks the window's language and font.
    if (owner)
        setFont(owner->font());
    setWindowTitle(QStringLiteral("字体"));
    buildWidgets();
    preselect(request, owner ? owner->font() : font());
    refresh();
}

void FontChooserDialog::buildWidgets()
{
    auto *grid = new QGridLayout;

    auto *faceLabel = new QLabel(QStringLiteral("字体(&F):"));
    faceEdit_ = new QLineEdit;
    faceEdit_->setObjectName(QStringLiteral("faceEdit"));
    faceList_ = new QListWidget;
    faceList_->setObjectName(QStringLiteral("faceList"));
    faceList_->addItems(families_);
    faceLabel->setBuddy(faceEdit_);

    auto *styleLabel = new QLabel(QStringLiteral("字形(&Y):"));
    styleList_ = new QListWidget;
    styleList_->setObjectName(QStringLiteral("styleList"));
    styleLabel->setBuddy(styleList_);

    auto *sizeLabel = new QLabel(QStringLiteral("大小(&S):"));
    sizeEdit_ = new QLineEdit;
    sizeEdit_->setObjectName(QStringLiteral("sizeEdit"));
    // OK stays disabled while the size is not one of these.
    sizeEdit_->setToolTip(QStringLiteral("大小必须是 1 到 1638 磅之间的数字，或初号到八号"));
    sizeList_ = new QListWidget;
    sizeList_->setObjectName(QStringLiteral("sizeList"));
    for (const NamedSize &named : kNamedSizes)
        sizeList_->addItem(QString::fromUtf8(named.name));
    for (int points : kPointSizes)
        sizeList_->addItem(QString::number(points));
    sizeLabel->setBuddy(sizeEdit_);

    grid->addWidget(faceLabel, 0, 0);
    grid->addWidget(faceEdit_, 1, 0);
    grid->addWidget(faceList_, 2, 0);
    grid->addWidget(styleLabel, 0, 1);
    grid->addWidget(styleList_, 1, 1, 2, 1);
    grid->addWidget(sizeLabel, 0, 2);
    grid->addWidget(sizeEdit_, 1, 2);
    grid->addWidget(sizeList_, 2, 2);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(2, 1);

    auto *effects = new QGroupBox(QStringLiteral("效果"));
    strikeOutBox_ = new QCheckBox(QStringLiteral("删除线(&K)"));
    strikeOutBox_->setObjectName(QStringLiteral("strikeOutBox"));
    underlineBox_ = new QCheckBox(QStringLiteral("下划线(&U)"));
    underlineBox_->setObjectName(QStringLiteral("underlineBox"));
    auto *colourLabel = new QLabel(QStringLiteral("颜色(&C):"));
    colourBox_ = new QComboBox;
    colourBox_->setObjectName(QStringLiteral("colourBox"));
    for (const BasicColour &basic : kBasicColours)
        colourBox_->addItem(swatch(basic.ref), QString::fromUtf8(basic.name), QVariant::fromValue(uint(basic.ref)));
    colourBox_->addItem(QStringLiteral("其他颜色..."));
    colourLabel->setBuddy(colourBox_);
    auto *effectsLayout = new QVBoxLayout(effects);
    effectsLayout->addWidget(strikeOutBox_);
    effectsLayout->addWidget(underlineBox_);
    effectsLayout->addWidget(colourLabel);
    effectsLayout->addWidget(colourBox_);
    effectsLayout->addStretch();

    auto *sampleGroup = new QGroupBox(QStringLiteral("示例"));
    sample_ = new QLabel(QStringLiteral("汉字示例 AaBbYyZz"));
    sample_->setObjectName(QStringLiteral("sample"));
    sample_->setAlignment(Qt::AlignCenter);
    // A fixed box: a large size shows cut off instead of growing the dialog.
    sample_->setFixedSize(240, 72);
    sample_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto *sampleLayout = new QVBoxLayout(sampleGroup);
    sampleLayout->addWidget(sample_);

    auto *lower = new QHBoxLayout;
    lower->addWidget(effects);
    lower->addWidget(sampleGroup, 1);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    okButton_ = buttons->button(QDialogButtonBox::Ok);
    okButton_->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(lower);
    layout->addWidget(buttons);
    resize(520, 420);

    connect(faceEdit_, &QLineEdit::textEdited, this, [this](const QString &text) { faceTyped(text); });
    connect(faceList_, &QListWidget::currentTextChanged, this, [this](const QString &family) {
        if (syncing_ || family.isEmpty())
            return;
        syncing_ = true;
        faceEdit_->setText(family);
        syncing_ = false;
        const StyleEntry *style = chosenStyle();
        fillStyles(style ? style->weight : 400, style && style->italic);
        refresh();
    });
    connect(styleList_, &QListWidget::currentRowChanged, this, [this](int) { refresh(); });
    connect(sizeEdit_, &QLineEdit::textEdited, this, [this](const QString &text) { sizeTyped(text); });
    connect(sizeList_, &QListWidget::currentTextChanged, this, [this](const QString &text) {
        if (syncing_ || text.isEmpty())
            return;
        syncing_ = true;
        sizeEdit_->setText(text);
        syncing_ = false;
        refresh();
    });
    connect(strikeOutBox_, &QCheckBox::toggled, this, [this](bool) { refresh(); });
    connect(underlineBox_, &QCheckBox::toggled, this, [this](bool) { refresh(); });
    connect(colourBox_, &QComboBox::activated, this, [this](int index) { colourPicked(index); });
}

void FontChooserDialog::preselect(const FontDialogRequest &request, const QFont &ownerFont)
{
    // No face or size kept yet: start from the window's own font. A face that
    // is not listed under its own name is shown as the face that draws it.
    QString face = request.faceName.isEmpty() ? ownerFont.family() : request.faceName;
    if (!families_.contains(face, Qt::CaseInsensitive)) {
        const QString resolved = QFontInfo(QFont(face)).family();
        if (families_.contains(resolved, Qt::CaseInsensitive))
            face = resolved;
    }
    selectFace(face);
    fillStyles(request.bold ? 700 : 400, request.italic);

    double points = 0;
    if (request.heightPixels != 0)
        points = std::abs(double(request.heightPixels)) * 72.0 / dpiY_;
    else if (ownerFont.pixelSize() > 0)
        points = ownerFont.pixelSize() * 72.0 / dpiY_;
    else
        points = ownerFont.pointSizeF();
    points = std::clamp(points, kMinPoints, kMaxPoints);
    sizeEdit_->setText(sizeText(points));
    sizeTyped(sizeEdit_->text());

    strikeOutBox_->setChecked(request.strikeOut);
    underlineBox_->setChecked(request.underline);
    setColour(request.colour & 0x00FFFFFFu);
}

void FontChooserDialog::selectFace(const QString &family)
{
    syncing_ = true;
    faceEdit_->setText(family);
    const auto matches = faceList_->findItems(family, Qt::MatchFixedString);
    if (!matches.isEmpty()) {
        faceList_->setCurrentItem(matches.first());
        faceList_->scrollToItem(matches.first(), QAbstractItemView::PositionAtCenter);
    }
    syncing_ = false;
}

void FontChooserDialog::faceTyped(const QString &text)
{
    // Typing moves the list to the first face that starts with the text,
    // without overwriting what is being typed.
    const auto matches = faceList_->findItems(text, Qt::MatchStartsWith);
    if (!text.isEmpty() && !matches.isEmpty()) {
        syncing_ = true;
        faceList_->setCurrentItem(matches.first());
        faceList_->scrollToItem(matches.first());
        syncing_ = false;
    }
    const StyleEntry *style = chosenStyle();
    fillStyles(style ? style->weight : 400, style && style->italic);
    refresh();
}

void FontChooserDialog::fillStyles(int weight, bool italic)
{
    const auto face = chosenFace();
    styles_ = stylesOf(face ? *face : QString());
    styleList_->blockSignals(true);
    styleList_->clear();
    int best = 0;
    int bestDistance = 1 << 20;
    for (size_t i = 0; i < styles_.size(); ++i) {
        styleList_->addItem(styles_[i].label);
        const int distance = std::abs(styles_[i].weight - weight) + (styles_[i].italic != italic ? 10000 : 0);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = int(i);
        }
    }
    styleList_->setCurrentRow(best);
    styleList_->blockSignals(false);
}

void FontChooserDialog::sizeTyped(const QString &text)
{
    const auto matches = sizeList_->findItems(text.trimmed(), Qt::MatchExactly);
    syncing_ = true;
    if (matches.isEmpty())
        sizeList_->setCurrentRow(-1);
    else
        sizeList_->setCurrentItem(matches.first());
    syncing_ = false;
    refresh();
}

void FontChooserDialog::setColour(std::uint32_t ref)
{
    colour_ = ref;
    int index = colourBox_->findData(QVariant::fromValue(uint(ref)));
    if (index < 0) {
        // A colour outside the basic sixteen gets its own entry before "more".
        const int custom = colourBox_->findText(QStringLiteral("自定义"));
        if (custom >= 0)
            colourBox_->removeItem(custom);
        index = colourBox_->count() - 1;
        colourBox_->insertItem(index, swatch(ref), QStringLiteral("自定义"), QVariant::fromValue(uint(ref)));
    }
    colourBox_->setCurrentIndex(index);
    lastColourIndex_ = index;
    refresh();
}

void FontChooserDialog::colourPicked(int index)
{
    if (index == colourBox_->count() - 1) {
        const QColor picked = QColorDialog::getColor(toQColor(colour_), this, QStringLiteral("颜色"));
        if (picked.isValid())
            setColour(fromQColor(picked));
        else
            colourBox_->setCurrentIndex(lastColourIndex_);
        return;
    }
    setColour(colourBox_->itemData(index).toUInt());
}

std::optional<QString> FontChooserDialog::chosenFace() const
{
    const QString typed = faceEdit_->text().trimmed();
    for (const QString &family : families_)
        if (family.compare(typed, Qt::CaseInsensitive) == 0)
            return family;
    return std::nullopt;
}

const StyleEntry *FontChooserDialog::chosenStyle() const
{
    const int row = styleList_->currentRow();
    return row >= 0 && row < int(styles_.size()) ? &styles_[size_t(row)] : nullptr;
}

void FontChooserDialog::refresh()
{
    const auto face = chosenFace();
    const auto points = parseSize(sizeEdit_->text());
    const StyleEntry *style = chosenStyle();
    okButton_->setEnabled(face && points && style);

    QFont font = sample_->font();
    if (face)
        font.setFamilies({*face});
    if (points)
        font.setPixelSize(std::max(1, int(std::lround(*points * dpiY_ / 72.0))));
    if (style) {
        font.setWeight(static_cast<QFont::Weight>(style->weight));
        font.setItalic(style->italic);
    }
    font.setStrikeOut(strikeOutBox_->isChecked());
    font.setUnderline(underlineBox_->isChecked());
    sample_->setFont(font);
    QPalette palette = sample_->palette();
    palette.setColor(QPalette::WindowText, toQColor(colour_));
    sample_->setPalette(palette);
}

FontDialogChoice FontChooserDialog::choice() const
{
    FontDialogChoice choice;
    choice.faceName = chosenFace().value_or(QString());
    const double points = parseSize(sizeEdit_->text()).value_or(kMinPoints);
    // A character height, so negative; never 0, which would mean "no size".
    choice.heightPixels = -std::max(1, int(std::lround(points * dpiY_ / 72.0)));
    const StyleEntry *style = chosenStyle();
    choice.weight = style ? style->weight : 400;
    choice.italic = style && style->italic;
    choice.underline = underlineBox_->isChecked();
    choice.strikeOut = strikeOutBox_->isChecked();
    choice.colour = colour_;
    return choice;
}

} // namespace

std::optional<FontDialogChoice> QtPlatform::chooseFont(QWidget *owner, const FontDialogRequest &initial)
{
    FontChooserDialog dialog(owner, initial, screenDpiY());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}

} // namespace tilvane
