#pragma once

#include <QCheckBox>
#include <QStringList>
#include <QWidget>

#include <functional>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QGridLayout;
class QIcon;
class QToolButton;

class EncoderCatalog;
class QSpinBox;
enum class VideoEncoders;

// A row of mutually exclusive buttons, one per entry. Entries that do not fit into `maxWidth` wrap
// onto further rows of equally wide buttons, so a long list never widens its dialog.
class SegmentedPicker : public QWidget
{
    Q_OBJECT
public:
    SegmentedPicker(const QStringList &entries, int maxWidth, QWidget *parent = nullptr);

    int count() const { return int(m_entries.size()); }
    int currentIndex() const { return m_current; }
    QString currentText() const { return m_entries.value(m_current); }
    // Selects entry `index` (out of range: nothing); emits currentIndexChanged when it changes.
    void setCurrentIndex(int index);
    QAbstractButton *button(int index) const;

    // Greys an entry out and gives it a help tip, leaving it selectable: its position is stored data.
    void setEntryUnavailable(int index, const QString &tip);
    bool isEntryAvailable(int index) const;
    // Hides or shows an entry; the shown ones close up, in order. Its position is unchanged.
    void setEntryShown(int index, bool shown);

signals:
    void currentIndexChanged(int index);

private:
    QStringList m_entries;
    QButtonGroup *m_group;
    int m_current = -1;
    int m_columns = 1;
};

// Whether `font` can draw `character` itself; tests may answer instead (an empty check puts the
// font's own answer back).
bool fontHasGlyph(const QFont &font, char32_t character);
void setGlyphCheck(std::function<bool(const QFont &font, char32_t character)> check);

// A button labelled with a pictograph such as the floppy disk. Where its font has no glyph for it,
// which would show an empty box, `icon` stands in; the label stays as the button's text, which screen
// readers read.
QToolButton *pictographButton(char32_t pictograph, const QIcon &icon, QWidget *parent);

// Marks the picker entries whose encoder the installed ffmpeg lacks (the entry texts are encoder names).
// Greys the entries whose encoder failed its check, with the reason as help tip, and hides the encoders
// the catalog does not offer (Apple's, off a Mac). Call again when the catalog changes. A null catalog
// marks nothing.
void markUnavailableEncoders(QComboBox *picker, const EncoderCatalog *catalog);
// The deinterlacing toggle of the editor and Setup: ticked always, empty never, a dash (shown as
// "DeInterlace (auto)") when the source is interlaced.
QCheckBox *deinterlaceToggle(QWidget *parent);
// The entries of a channel picker, in the order of AudioChannels: "Stereo", "Keep".
QStringList channelChoices();
// The help tip of the "Convert HDR to SDR" toggles of the editor and Setup.
QString hdrToSdrTip();
// The entries of a rate picker, in the order of VideoRate: "Bitrate", "Quality", "Target quality".
QStringList rateChoices();
// The constant quality box (lower is better), named "videoQualityBox"; fit it to the chosen encoder with
// fitQualityBox().
QSpinBox *qualityBox(QWidget *parent);
// Sets the box's range to the scale of `encoder`. A figure still at the default of the encoder chosen
// before becomes the default of this one: x264's 23 means far less compression to SVT-AV1.
void fitQualityBox(QSpinBox *box, VideoEncoders encoder);
void markUnavailableEncoders(SegmentedPicker *picker, const EncoderCatalog *catalog);
