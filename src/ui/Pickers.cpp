#include "ui/Pickers.h"

#include "media/EncoderCatalog.h"
#include "model/Vocabulary.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QListView>
#include <QSpinBox>

#include <QButtonGroup>
#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QIcon>
#include <QPalette>
#include <QToolButton>

SegmentedPicker::SegmentedPicker(const QStringList &entries, int maxWidth, QWidget *parent)
    : QWidget(parent), m_entries(entries), m_group(new QButtonGroup(this))
{
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(2);

    QList<QToolButton *> buttons;
    int widest = 0;
    for (int i = 0; i < entries.size(); ++i) {
        auto *button = new QToolButton(this);
        button->setText(entries.at(i));
        button->setCheckable(true);
        button->setAutoRaise(false);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        m_group->addButton(button, i);
        widest = std::max(widest, button->sizeHint().width() + 8);
        buttons << button;
    }
    m_columns =
        std::max(1, std::min(int(entries.size()), (maxWidth + grid->spacing()) / (widest + grid->spacing())));
    for (int i = 0; i < buttons.size(); ++i) {
        buttons.at(i)->setMinimumWidth(widest);
        grid->addWidget(buttons.at(i), i / m_columns, i % m_columns);
    }
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);

    connect(m_group, &QButtonGroup::idClicked, this, [this](int id) {
        if (id == m_current)
            return;
        m_current = id;
        emit currentIndexChanged(id);
    });
}

void SegmentedPicker::setEntryShown(int index, bool shown)
{
    QAbstractButton *entry = button(index);
    if (!entry || entry->isVisibleTo(this) == shown)
        return;
    entry->setVisible(shown);
    auto *grid = static_cast<QGridLayout *>(layout());
    int cell = 0;
    for (int i = 0; i < count(); ++i) {
        QAbstractButton *each = button(i);
        grid->removeWidget(each);
        if (each->isVisibleTo(this) || (i == index && shown)) {
            grid->addWidget(each, cell / m_columns, cell % m_columns);
            ++cell;
        }
    }
}

void SegmentedPicker::setCurrentIndex(int index)
{
    if (index < 0 || index >= count() || index == m_current)
        return;
    m_current = index;
    m_group->button(index)->setChecked(true);
    emit currentIndexChanged(index);
}

QAbstractButton *SegmentedPicker::button(int index) const
{
    return m_group->button(index);
}

void SegmentedPicker::setEntryUnavailable(int index, const QString &tip)
{
    QAbstractButton *entry = button(index);
    if (!entry)
        return;
    entry->setToolTip(tip);
    entry->setProperty("unavailable", true);
    QFont font = entry->font();
    font.setItalic(true);
    entry->setFont(font);
    QPalette palette = entry->palette();
    palette.setColor(QPalette::ButtonText, palette.color(QPalette::Disabled, QPalette::ButtonText));
    entry->setPalette(palette);
}

bool SegmentedPicker::isEntryAvailable(int index) const
{
    const QAbstractButton *entry = button(index);
    return entry && !entry->property("unavailable").toBool();
}

namespace {

std::function<bool(const QFont &, char32_t)> &glyphCheck()
{
    static std::function<bool(const QFont &, char32_t)> check;
    return check;
}

} // namespace

bool fontHasGlyph(const QFont &font, char32_t character)
{
    if (glyphCheck())
        return glyphCheck()(font, character);
    return QFontMetrics(font).inFontUcs4(character);
}

void setGlyphCheck(std::function<bool(const QFont &font, char32_t character)> check)
{
    glyphCheck() = std::move(check);
}

QToolButton *pictographButton(char32_t pictograph, const QIcon &icon, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setText(QString::fromUcs4(&pictograph, 1));
    if (!fontHasGlyph(button->font(), pictograph)) {
        button->setIcon(icon);
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
    return button;
}

namespace {

// Entries stay where they are (their position is what is stored); only their look changes. The chosen
// entry is always shown, so a stored Apple encoder still reads as itself.
bool isOffered(const EncoderCatalog &catalog, const QString &encoder, bool chosen)
{
    const std::optional<VideoEncoders> video = caseFromRawText<VideoEncoders>(encoder);
    return chosen || !video || catalog.isOffered(*video);
}

} // namespace

void markUnavailableEncoders(QComboBox *picker, const EncoderCatalog *catalog)
{
    if (!catalog)
        return;
    auto *list = qobject_cast<QListView *>(picker->view());
    for (int i = 0; i < picker->count(); ++i) {
        const QString encoder = picker->itemText(i);
        if (list)
            list->setRowHidden(i, !isOffered(*catalog, encoder, i == picker->currentIndex()));
        if (catalog->isAvailable(encoder))
            continue;
        picker->setItemData(i, EncoderCatalog::unavailableTip(encoder, catalog->unavailableReason(encoder)),
                            Qt::ToolTipRole);
        picker->setItemData(i, picker->palette().color(QPalette::Disabled, QPalette::Text),
                            Qt::ForegroundRole);
    }
    // The closed picker shows the help tip of the chosen entry too.
    if (!picker->property("encoderTips").toBool()) {
        picker->setProperty("encoderTips", true);
        QObject::connect(picker, &QComboBox::currentIndexChanged, picker, [picker](int index) {
            picker->setToolTip(picker->itemData(index, Qt::ToolTipRole).toString());
        });
    }
    picker->setToolTip(picker->itemData(picker->currentIndex(), Qt::ToolTipRole).toString());
}

void markUnavailableEncoders(SegmentedPicker *picker, const EncoderCatalog *catalog)
{
    if (!catalog)
        return;
    for (int i = 0; i < picker->count(); ++i) {
        const QString encoder = picker->button(i)->text();
        picker->setEntryShown(i, isOffered(*catalog, encoder, i == picker->currentIndex()));
        if (!catalog->isAvailable(encoder))
            picker->setEntryUnavailable(
                i, EncoderCatalog::unavailableTip(encoder, catalog->unavailableReason(encoder)));
    }
}

QCheckBox *deinterlaceToggle(QWidget *parent)
{
    auto *toggle = new QCheckBox(parent);
    toggle->setObjectName(QStringLiteral("deInterlaceToggle"));
    toggle->setTristate(true);
    toggle->setToolTip(QCoreApplication::translate(
        "Pickers", "Ticked: always deinterlace. Empty: never. A dash (auto): only when mediainfo finds the "
                   "source interlaced."));
    const auto follow = [toggle] {
        toggle->setText(toggle->checkState() == Qt::PartiallyChecked
                            ? QCoreApplication::translate("Pickers", "DeInterlace (auto)")
                            : QCoreApplication::translate("Pickers", "DeInterlace"));
    };
    follow();
    QObject::connect(toggle, &QCheckBox::stateChanged, toggle, follow);
    return toggle;
}

QStringList channelChoices()
{
    return {QCoreApplication::translate("Pickers", "Stereo"), QCoreApplication::translate("Pickers", "Keep")};
}

QString hdrToSdrTip()
{
    return QCoreApplication::translate(
        "Pickers", "For an HDR10 or HLG source. Ticked: tone-map the picture to standard range (BT.709). "
                   "Empty: keep the high dynamic range and ten bits where the encoder carries them "
                   "(libx265, libsvtav1, libvpx-vp9); other encoders always tone-map.");
}

QStringList rateChoices()
{
    return {QCoreApplication::translate("Pickers", "Bitrate"),
            QCoreApplication::translate("Pickers", "Quality"),
            QCoreApplication::translate("Pickers", "Target quality")};
}

QSpinBox *qualityBox(QWidget *parent)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(QStringLiteral("videoQualityBox"));
    box->setRange(Lists::minVideoQuality, maxVideoQuality(VideoEncoders::libx264));
    box->setValue(Lists::defaultVideoQuality);
    box->setProperty("qualityEncoder", indexOfCase(VideoEncoders::libx264));
    box->setToolTip(QCoreApplication::translate(
        "Pickers",
        "Constant quality: lower is better and larger (x264 and x265: 0 to 51, 18 looks like the "
        "source, 23 is their default; AV1 and VP9: 0 to 63, about 32 looks as good as x264's 23)"));
    return box;
}

void fitQualityBox(QSpinBox *box, VideoEncoders encoder)
{
    const VideoEncoders before = caseAtOrFirst<VideoEncoders>(box->property("qualityEncoder").toInt());
    box->setProperty("qualityEncoder", indexOfCase(encoder));
    const bool atDefault = box->value() == defaultVideoQuality(before);
    box->setRange(Lists::minVideoQuality, maxVideoQuality(encoder));
    if (atDefault)
        box->setValue(defaultVideoQuality(encoder));
}
