#include "ui/DetailView.h"

#include "media/EncoderCatalog.h"
#include "media/JobCommand.h"
#include "media/Preview.h"
#include "model/Preferences.h"
#include "model/Vocabulary.h"
#include "rules/CommandLine.h"
#include "rules/Crop.h"
#include "rules/CropPresets.h"
#include "rules/HdrSignal.h"
#include "rules/JobRules.h"
#include "session/Session.h"
#include "ui/ImageView.h"
#include "ui/Panels.h"
#include "ui/Pickers.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstdio>

namespace {

constexpr int LabelWidth = 100;
constexpr int ListPickerWidth = 200;
constexpr int ContentWidth = 800;
// What a row offers its controls after its label.
constexpr int RowWidth = ContentWidth - LabelWidth - 12;

// Editing events go to standard output, one line each, for whoever runs the application from a terminal.
void printLine(const QString &line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void printEditing(bool begins, const QString &text)
{
    printLine((begins ? QStringLiteral("true") : QStringLiteral("false")) + QStringLiteral("  - > ") + text);
}

// Calls back when a field gains (true) or loses (false) the keyboard focus: editing begins or ends.
class FocusWatcher : public QObject
{
public:
    FocusWatcher(QWidget *watched, std::function<void(bool)> onEditing)
        : QObject(watched), m_onEditing(std::move(onEditing))
    {
        watched->installEventFilter(this);
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn)
            m_onEditing(true);
        else if (event->type() == QEvent::FocusOut)
            m_onEditing(false);
        return false;
    }

private:
    std::function<void(bool)> m_onEditing;
};

QLabel *groupHeader(const QString &title, QWidget *parent)
{
    auto *header = new QLabel(title, parent);
    QFont font = header->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.35);
    header->setFont(font);
    header->setForegroundRole(QPalette::WindowText);
    return header;
}

QFrame *divider(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QLabel *rowLabel(const QString &text, QWidget *parent, int width = LabelWidth)
{
    auto *label = new QLabel(text, parent);
    label->setFixedWidth(width);
    label->setProperty("rowLabel", width == LabelWidth);
    label->setAlignment(Qt::AlignLeading | Qt::AlignVCenter);
    return label;
}

// A row: the label, then the controls the caller adds.
QHBoxLayout *addRow(QVBoxLayout *group, const QString &label, QWidget *parent)
{
    auto *row = new QHBoxLayout;
    row->setContentsMargins(6, 0, 6, 0);
    row->addWidget(rowLabel(label, parent));
    group->addLayout(row);
    return row;
}

QComboBox *listPicker(const QStringList &entries, const QString &name, QWidget *parent)
{
    auto *picker = new QComboBox(parent);
    picker->setObjectName(name);
    picker->addItems(entries);
    picker->setFixedWidth(ListPickerWidth);
    return picker;
}

// A picker over the probed stream lines, which can be long: as wide as the row, the full line in a tip.
QComboBox *trackPicker(const QStringList &entries, const QString &name, QWidget *parent)
{
    auto *picker = new QComboBox(parent);
    picker->setObjectName(name);
    picker->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    picker->setMaximumWidth(RowWidth);
    for (const QString &entry : entries) {
        picker->addItem(entry);
        picker->setItemData(picker->count() - 1, entry, Qt::ToolTipRole);
    }
    return picker;
}

// The source's tracks of one kind as a list of check boxes, each readable ("1 · English · AC-3 5.1"),
// with the probed line as its tip. A few rows are shown; more scroll.
QListWidget *trackChecklist(const QStringList &labels, const QStringList &lines, const QString &name,
                            QWidget *parent)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(name);
    list->setMaximumWidth(RowWidth);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    for (qsizetype i = 0; i < labels.size(); ++i) {
        auto *item = new QListWidgetItem(labels.at(i), list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        item->setToolTip(lines.value(i).trimmed());
    }
    const int rows = int(std::clamp<qsizetype>(labels.size(), 1, 4));
    const int rowHeight = std::max(list->fontMetrics().height() + 6, list->sizeHintForRow(0));
    list->setFixedHeight(rows * rowHeight + 2 * list->frameWidth() + 2);
    return list;
}

// The readable labels of a job's tracks of one kind, from their probed lines: the stream descriptions
// when the probe made them, else the lines themselves.
QStringList trackLabels(const MediaVideo &job, MediaStream::Kind kind, const QStringList &lines)
{
    const QList<MediaStream> streams = streamsOf(job.streams, kind);
    QStringList labels;
    for (qsizetype i = 0; i < lines.size(); ++i)
        labels << (streams.size() == lines.size() ? streamLabel(streams.at(i)) : lines.at(i).trimmed());
    return labels;
}

// The numbers (from 1) of the checked rows.
QList<int> checkedRows(const QListWidget *list)
{
    QList<int> out;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->checkState() == Qt::Checked)
            out << i + 1;
    }
    return out;
}

// Ticks the rows of these numbers (from 1) and no other, without telling; a disabled list holds no tracks.
void checkRows(QListWidget *list, const QList<int> &numbers)
{
    const QSignalBlocker block(list);
    for (int i = 0; i < list->count() && list->isEnabled(); ++i)
        list->item(i)->setCheckState(numbers.contains(i + 1) ? Qt::Checked : Qt::Unchecked);
}

// A wrapping row of buttons that fits beside the row label of an 800 points wide form.
SegmentedPicker *segmentedPicker(const QStringList &entries, const QString &name, QWidget *parent)
{
    auto *picker = new SegmentedPicker(entries, RowWidth, parent);
    picker->setObjectName(name);
    return picker;
}

// The floppy disk button; the save icon where the font cannot draw the disk.
QToolButton *saveButton(const QString &name, const QString &tip, QWidget *parent)
{
    const QIcon icon = QIcon::fromTheme(QStringLiteral("document-save"),
                                        parent->style()->standardIcon(QStyle::SP_DialogSaveButton));
    QToolButton *button = pictographButton(0x1F4BE, icon, parent);
    button->setObjectName(name);
    button->setToolTip(tip);
    return button;
}

// A note under a row, hidden until there is something to say.
QLabel *indentedNote(const QString &name, QWidget *parent)
{
    auto *note = new QLabel(parent);
    note->setObjectName(name);
    note->setWordWrap(true);
    note->hide();
    return note;
}

int pickerIndex(const QComboBox *picker)
{
    return std::max(0, picker->currentIndex());
}

// Carries the result of a crop detection from its worker back to the editor, by a queued signal, and
// lets the editor go away meanwhile.
class CropRelay : public QObject
{
    Q_OBJECT
signals:
    void detected(const QString &text);
};

} // namespace

DetailView::DetailView(MediaVideo::Ptr job, Session &session, Panels &panels, QWidget *parent)
    : QDialog(parent), m_job(std::move(job)), m_session(session), m_panels(panels), m_tools(session.tools())
{
    // The detection's ffmpeg stops when this editor goes; the session's end stops every tool anyway.
    m_tools.setCancellation(m_closing);
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("detailView"));
    if (!m_job || m_job->source.isEmpty()) {
        buildOups();
        return;
    }
    setWindowTitle(QFileInfo(m_job->source).fileName());
    m_formatFile = Preferences::readInt(Preferences::Key::formatFile);
    buildEditor();
    load();
    followEncoderCatalog(session.encoders());
}

DetailView::~DetailView()
{
    // A detection still running is stopped; its worker ends on its own without the window waiting.
    m_closing->store(true);
}

void DetailView::followEncoderCatalog(const EncoderCatalog *catalog)
{
    if (m_catalog)
        disconnect(m_catalog, nullptr, this, nullptr);
    m_catalog = catalog;
    if (!m_videoCodec)
        return; // the "Oups" sheet has no picker
    const auto mark = [this] {
        markUnavailableEncoders(m_videoCodec, m_catalog);
        markUnavailableEncoders(m_audioCodec, m_catalog);
        updateCommandLine();
    };
    if (m_catalog)
        connect(m_catalog, &EncoderCatalog::changed, this, mark);
    mark();
}

void DetailView::buildOups()
{
    // A job without a source has nothing to edit; say so, and let the window be closed.
    setWindowTitle(tr("Oups"));
    auto *layout = new QVBoxLayout(this);
    auto *text = new QLabel(tr("Oups"), this);
    text->setObjectName(QStringLiteral("oupsLabel"));
    text->setAlignment(Qt::AlignCenter);
    layout->addWidget(text);
    auto *why = new QLabel(tr("This job has no source file to edit."), this);
    why->setAlignment(Qt::AlignCenter);
    layout->addWidget(why);
    auto *close = new QPushButton(tr("Close"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(close, 0, Qt::AlignHCenter);
    resize(sizeHint().expandedTo(QSize(280, 120)));
}

void DetailView::buildEditor()
{
    // The form scrolls both ways, so a small screen or a small window reaches every control; Ok and
    // Cancel stay outside it, always in view.
    auto *outer = new QVBoxLayout(this);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("editorScroll"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    auto *content = new QWidget(m_scroll);
    auto *column = new QVBoxLayout(content);
    column->setAlignment(Qt::AlignTop | Qt::AlignLeading);
    m_scroll->setWidget(content);
    outer->addWidget(m_scroll, 1);

    buildFileGroup(column, content);
    column->addWidget(divider(content));
    buildVideoGroup(column, content);
    column->addWidget(divider(content));
    buildAudioGroup(column, content);
    buildOtherGroup(column, content);
    buildCommandRow(column, content);
    alignRowLabels(content);

    // Ok and Cancel: Return belongs to the fields (it commits them), so neither is a default button.
    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(6, 0, 6, 0);
    auto *ok = new QPushButton(tr("Ok"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setAutoDefault(false);
    ok->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));
    auto *cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setAutoDefault(false);
    buttons->addWidget(ok);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    outer->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &DetailView::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    // Nothing starts out being edited: typing goes nowhere until the user picks a field.
    m_container->setFocus();

    m_commandTimer = new QTimer(this);
    m_commandTimer->setSingleShot(true);
    m_commandTimer->setInterval(0);
    connect(m_commandTimer, &QTimer::timeout, this, &DetailView::updateCommandLine);

    fitToScreen(content);
}

void DetailView::buildFileGroup(QVBoxLayout *column, QWidget *content)
{
    column->addWidget(groupHeader(tr("File"), content));
    {
        QHBoxLayout *row = addRow(column, tr("Source"), content);
        m_source = new QLineEdit(content);
        m_source->setObjectName(QStringLiteral("sourceEdit"));
        m_source->setPlaceholderText(tr("Source"));
        m_source->setEnabled(false);
        row->addWidget(m_source);
    }
    QHBoxLayout *row = addRow(column, tr("Destination"), content);
    m_destination = new QLineEdit(content);
    m_destination->setObjectName(QStringLiteral("destinationEdit"));
    m_destination->setPlaceholderText(tr("Destination"));
    row->addWidget(m_destination);
    m_exportButton = saveButton(QStringLiteral("exportButton"), tr("Export video"), content);
    row->addWidget(m_exportButton);
    // A destination made from the name template is not edited by hand.
    m_destination->setEnabled(m_formatFile == 0);
    m_exportButton->setEnabled(m_formatFile == 0);
    if (m_formatFile != 0)
        m_destination->setToolTip(tr("The name template chosen in Setup makes this name"));
    new FocusWatcher(m_destination, [this](bool begins) { printEditing(begins, m_destination->text()); });
    connect(m_destination, &QLineEdit::textEdited, this, [this] {
        m_destinationEdited = true;
        m_destinationNote->hide();
        scheduleCommandLine();
    });
    connect(m_destination, &QLineEdit::returnPressed, this, &DetailView::commitDestination);
    connect(m_exportButton, &QToolButton::clicked, this,
            [this] { QTimer::singleShot(100, this, &DetailView::runExportPanel); });

    m_destinationNote = indentedNote(QStringLiteral("destinationNote"), content);
    column->addWidget(m_destinationNote);
    m_conflictNote = indentedNote(QStringLiteral("destinationConflict"), content);
    m_conflictNote->setStyleSheet(QStringLiteral("color: #b26a00;"));
    column->addWidget(m_conflictNote);

    row = addRow(column, tr("Container"), content);
    m_container = listPicker(Lists::containers(), QStringLiteral("containerPicker"), content);
    row->addWidget(m_container);
    row->addStretch(1);
    m_quicktime = new QCheckBox(tr("Quicktime"), content);
    m_quicktime->setObjectName(QStringLiteral("quicktimeToggle"));
    row->addWidget(m_quicktime);
    connect(m_container, &QComboBox::currentIndexChanged, this, [this] { followChoices(true); });
    connect(m_quicktime, &QCheckBox::toggled, this, &DetailView::scheduleCommandLine);
}

void DetailView::buildVideoGroup(QVBoxLayout *column, QWidget *content)
{
    column->addWidget(groupHeader(tr("Video"), content));
    QHBoxLayout *row = addRow(column, tr("Tracks"), content);
    m_videoTracks = trackPicker(m_job->videoTracks, QStringLiteral("videoTrackPicker"), content);
    row->addWidget(m_videoTracks, 1);
    connect(m_videoTracks, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            m_videoTrack = index;
        scheduleCommandLine();
    });

    row = addRow(column, tr("Codec"), content);
    m_videoCodec = segmentedPicker(rawTexts<VideoEncoders>(), QStringLiteral("videoCodecPicker"), content);
    row->addWidget(m_videoCodec);
    row->addStretch(1);
    connect(m_videoCodec, &SegmentedPicker::currentIndexChanged, this, [this](int index) {
        if (m_videoQuality)
            fitQualityBox(m_videoQuality, caseAtOrFirst<VideoEncoders>(index));
        updateVideoRows();
        followChoices(false);
    });
    m_copyNote = indentedNote(QStringLiteral("copyNote"), content);
    m_copyNote->setText(
        tr("Passthrough: the video is copied as it is; rate, size, deinterlacing, crop, preset, "
           "profile and tune do not apply."));
    m_copyNoteRow = new QHBoxLayout;
    m_copyNoteRow->addWidget(m_copyNote, 1);
    column->addLayout(m_copyNoteRow);

    row = addRow(column, tr("Rate"), content);
    m_videoRate = new QComboBox(content);
    m_videoRate->setObjectName(QStringLiteral("videoRatePicker"));
    m_videoRate->addItems(rateChoices());
    row->addWidget(m_videoRate);
    m_videoDebit = listPicker(Lists::videoDebits(), QStringLiteral("videoDebitPicker"), content);
    row->addWidget(m_videoDebit);
    m_videoQuality = qualityBox(content);
    row->addWidget(m_videoQuality);
    row->addStretch(1);
    // Only a high dynamic range source has anything to convert.
    m_hdrToSdr = new QCheckBox(tr("Convert HDR to SDR"), content);
    m_hdrToSdr->setObjectName(QStringLiteral("hdrToSdrToggle"));
    m_hdrToSdr->setToolTip(hdrToSdrTip());
    m_hdrToSdr->setMinimumWidth(LabelWidth);
    m_hdrToSdr->setVisible(m_job->hdr != HdrKind::None);
    row->addWidget(m_hdrToSdr);
    connect(m_hdrToSdr, &QCheckBox::toggled, this, [this](bool checked) {
        m_hdrOutput = checked ? HdrOutput::Sdr : HdrOutput::Keep;
        scheduleCommandLine();
    });
    connect(m_videoRate, &QComboBox::currentIndexChanged, this, [this] {
        updateVideoRows();
        scheduleCommandLine();
    });
    connect(m_videoDebit, &QComboBox::currentIndexChanged, this, &DetailView::scheduleCommandLine);
    connect(m_videoQuality, &QSpinBox::valueChanged, this, &DetailView::scheduleCommandLine);

    row = addRow(column, tr("Size"), content);
    row->addWidget(new QLabel(tr("Width"), content));
    m_width = listPicker(Lists::widths(), QStringLiteral("widthPicker"), content);
    row->addWidget(m_width);
    row->addSpacing(8);
    row->addWidget(new QLabel(tr("Height"), content));
    m_height = listPicker(Lists::heights(), QStringLiteral("heightPicker"), content);
    row->addWidget(m_height);
    row->addStretch(1);
    m_deInterlace = deinterlaceToggle(content);
    m_deInterlace->setMinimumWidth(LabelWidth);
    row->addWidget(m_deInterlace);
    connect(m_width, &QComboBox::currentIndexChanged, this, &DetailView::scheduleCommandLine);
    connect(m_height, &QComboBox::currentIndexChanged, this, &DetailView::scheduleCommandLine);
    connect(m_deInterlace, &QCheckBox::stateChanged, this, &DetailView::scheduleCommandLine);

    buildCropRow(column, content);

    const auto addSegmentedRow = [&](const QString &label, const QStringList &entries, const QString &name) {
        QHBoxLayout *segmentedRow = addRow(column, label, content);
        SegmentedPicker *picker = segmentedPicker(entries, name, content);
        segmentedRow->addWidget(picker);
        segmentedRow->addStretch(1);
        connect(picker, &SegmentedPicker::currentIndexChanged, this, &DetailView::scheduleCommandLine);
        return picker;
    };
    m_preset = addSegmentedRow(tr("Preset"), rawTexts<VideoPresets>(), QStringLiteral("presetPicker"));
    m_profile = addSegmentedRow(tr("Profile"), rawTexts<VideoProfiles>(), QStringLiteral("profilePicker"));
    m_tune = addSegmentedRow(tr("Tune"), rawTexts<VideoTunes>(), QStringLiteral("tunePicker"));
}

void DetailView::buildCropRow(QVBoxLayout *column, QWidget *content)
{
    QHBoxLayout *row = addRow(column, tr("Crop"), content);
    // "none" and "manual" are words; the ratio names read the same in every language. The position
    // is what is stored.
    QStringList names;
    for (int i = 0; i < crops().size(); ++i)
        names << (i == NoCrop ? tr("none") : i == ManualCrop ? tr("manual") : crops().at(i).name);
    m_cropPicker = listPicker(names, QStringLiteral("cropPicker"), content);
    row->addWidget(m_cropPicker);
    m_autocropButton = new QPushButton(tr("Autocrop"), content);
    m_autocropButton->setObjectName(QStringLiteral("autocropButton"));
    m_autocropButton->setMinimumWidth(LabelWidth);
    m_autocropButton->setAutoDefault(false);
    m_autocropButton->setToolTip(tr("Find the black borders of the picture"));
    row->addWidget(m_autocropButton);
    m_previewButton = new QPushButton(tr("Preview"), content);
    m_previewButton->setObjectName(QStringLiteral("previewButton"));
    m_previewButton->setMinimumWidth(LabelWidth);
    m_previewButton->setAutoDefault(false);
    row->addWidget(m_previewButton);
    m_cropEdit = new QLineEdit(content);
    m_cropEdit->setObjectName(QStringLiteral("cropEdit"));
    m_cropEdit->setFixedWidth(250);
    row->addWidget(m_cropEdit);
    row->addStretch(1);
    new FocusWatcher(m_cropEdit, [](bool) { printLine(QStringLiteral("on Editing changed")); });
    connect(m_cropPicker, &QComboBox::currentIndexChanged, this, &DetailView::cropSet);
    connect(m_cropEdit, &QLineEdit::textEdited, this, [this] {
        m_cropEdited = true;
        scheduleCommandLine();
    });
    connect(m_cropEdit, &QLineEdit::returnPressed, this, &DetailView::cropCommitted);
    connect(m_autocropButton, &QPushButton::clicked, this, &DetailView::autocrop);
    connect(m_previewButton, &QPushButton::clicked, this, &DetailView::makeCropPreview);

    // Shown while a detection runs, and to tell that it found nothing.
    m_cropBusyRow = new QHBoxLayout;
    m_cropBusy = new QProgressBar(content);
    m_cropBusy->setObjectName(QStringLiteral("cropBusy"));
    m_cropBusy->setRange(0, 0);
    m_cropBusy->setTextVisible(false);
    m_cropBusy->setFixedWidth(ListPickerWidth);
    m_cropBusy->hide();
    m_cropBusyRow->addWidget(m_cropBusy);
    m_cropNote = new QLabel(content);
    m_cropNote->setObjectName(QStringLiteral("cropNote"));
    m_cropNote->setWordWrap(true);
    m_cropNote->hide();
    m_cropBusyRow->addWidget(m_cropNote, 1);
    column->addLayout(m_cropBusyRow);
}

void DetailView::buildAudioGroup(QVBoxLayout *column, QWidget *content)
{
    column->addWidget(groupHeader(tr("Audio"), content));
    QHBoxLayout *row = addRow(column, tr("Tracks"), content);
    const QStringList audioLines = m_job->audioTracks.mid(1);
    m_audioTracks = trackChecklist(trackLabels(*m_job, MediaStream::Kind::Audio, audioLines), audioLines,
                                   QStringLiteral("audioTrackList"), content);
    if (audioLines.isEmpty()) {
        m_audioTracks->addItem(tr("No audio"));
        m_audioTracks->setEnabled(false);
    }
    row->addWidget(m_audioTracks, 1);
    connect(m_audioTracks, &QListWidget::itemChanged, this, &DetailView::scheduleCommandLine);

    row = addRow(column, tr("Codec"), content);
    m_audioCodec = segmentedPicker(rawTexts<AudioEncoders>(), QStringLiteral("audioCodecPicker"), content);
    row->addWidget(m_audioCodec);
    row->addStretch(1);
    connect(m_audioCodec, &SegmentedPicker::currentIndexChanged, this, [this] { followChoices(false); });

    row = addRow(column, tr("Bitrate"), content);
    m_audioDebit = listPicker(Lists::audioDebits(), QStringLiteral("audioDebitPicker"), content);
    row->addWidget(m_audioDebit);
    row->addSpacing(12);
    row->addWidget(new QLabel(tr("Sampling"), content));
    m_sampling = listPicker(Lists::audioSamplings(), QStringLiteral("samplingPicker"), content);
    row->addWidget(m_sampling);
    row->addSpacing(12);
    row->addWidget(new QLabel(tr("Channels"), content));
    m_channels = new QComboBox(content);
    m_channels->setObjectName(QStringLiteral("channelsPicker"));
    m_channels->addItems(channelChoices());
    m_channels->setToolTip(tr("Stereo folds a surround source to two channels; Keep writes the source's "
                              "layout (MP3 keeps two)."));
    row->addWidget(m_channels);
    row->addStretch(1);
    connect(m_audioDebit, &QComboBox::currentIndexChanged, this, &DetailView::scheduleCommandLine);
    connect(m_sampling, &QComboBox::currentIndexChanged, this, &DetailView::scheduleCommandLine);
    connect(m_channels, &QComboBox::currentIndexChanged, this, &DetailView::scheduleCommandLine);
}

void DetailView::buildOtherGroup(QVBoxLayout *column, QWidget *content)
{
    // Inside the audio group, under a header of its own.
    column->addWidget(groupHeader(tr("Other"), content));
    QHBoxLayout *row = addRow(column, tr("Other params"), content);
    m_otherParam = new QLineEdit(content);
    m_otherParam->setObjectName(QStringLiteral("otherParamEdit"));
    m_otherParam->setPlaceholderText(tr("params"));
    row->addWidget(m_otherParam);
    new FocusWatcher(m_otherParam, [this](bool begins) { printEditing(begins, m_otherParam->text()); });
    connect(m_otherParam, &QLineEdit::textChanged, this, &DetailView::scheduleCommandLine);

    row = addRow(column, tr("Subtitles"), content);
    const QStringList subtitleLines = subtitleStreamLines(*m_job);
    const QStringList subtitleLabels = trackLabels(*m_job, MediaStream::Kind::Subtitle, subtitleLines);
    m_subtitleTracks =
        trackChecklist(subtitleLabels, subtitleLines, QStringLiteral("subtitleTrackList"), content);
    if (subtitleLines.isEmpty()) {
        m_subtitleTracks->addItem(tr("No subtitle"));
        m_subtitleTracks->setEnabled(false);
    }
    row->addWidget(m_subtitleTracks, 1);
    connect(m_subtitleTracks, &QListWidget::itemChanged, this, &DetailView::scheduleCommandLine);

    row = addRow(column, tr("Burn in"), content);
    m_burnSubtitle = new QComboBox(content);
    m_burnSubtitle->setObjectName(QStringLiteral("burnSubtitlePicker"));
    m_burnSubtitle->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_burnSubtitle->setMaximumWidth(RowWidth);
    m_burnSubtitle->addItem(tr("None"));
    m_burnSubtitle->addItems(subtitleLabels);
    m_burnSubtitle->setEnabled(!subtitleLines.isEmpty());
    m_burnSubtitle->setToolTip(tr("Draws one subtitle track into the picture, for players that show no "
                                  "subtitles; it is then not kept as a track."));
    row->addWidget(m_burnSubtitle);
    row->addStretch(1);
    connect(m_burnSubtitle, &QComboBox::currentIndexChanged, this, &DetailView::scheduleCommandLine);

    m_subtitleNote = new QLabel(content);
    m_subtitleNote->setObjectName(QStringLiteral("subtitleNote"));
    m_subtitleNote->setWordWrap(true);
    m_subtitleNote->hide();
    // Under the fields, like the other notes: no row of its own while hidden.
    m_subtitleNoteRow = new QHBoxLayout;
    m_subtitleNoteRow->addWidget(m_subtitleNote, 1);
    column->addLayout(m_subtitleNoteRow);

    row = addRow(column, tr("Subtitle external"), content);
    m_subtitleExternal = new QLineEdit(content);
    m_subtitleExternal->setObjectName(QStringLiteral("subtitleExternalEdit"));
    m_subtitleExternal->setPlaceholderText(tr("Subtitle"));
    row->addWidget(m_subtitleExternal, 1);
    row->addWidget(rowLabel(tr("Language"), content, 70));
    m_subtitleLanguage = new QLineEdit(content);
    m_subtitleLanguage->setObjectName(QStringLiteral("subtitleLanguageEdit"));
    m_subtitleLanguage->setPlaceholderText(tr("Language"));
    // Room for a three-letter code such as "fre".
    m_subtitleLanguage->setFixedWidth(
        std::max(40, m_subtitleLanguage->fontMetrics().horizontalAdvance(QStringLiteral("engw")) + 14));
    row->addWidget(m_subtitleLanguage);
    m_subtitleButton = saveButton(QStringLiteral("subtitleButton"), tr("Import subtitle"), content);
    row->addWidget(m_subtitleButton);
    new FocusWatcher(m_subtitleExternal,
                     [this](bool begins) { printEditing(begins, m_subtitleExternal->text()); });
    new FocusWatcher(m_subtitleLanguage,
                     [this](bool begins) { printEditing(begins, m_subtitleLanguage->text()); });
    connect(m_subtitleExternal, &QLineEdit::textChanged, this, &DetailView::scheduleCommandLine);
    connect(m_subtitleLanguage, &QLineEdit::textChanged, this, &DetailView::scheduleCommandLine);
    connect(m_subtitleButton, &QToolButton::clicked, this,
            [this] { QTimer::singleShot(100, this, &DetailView::runSubtitlePanel); });

    row = addRow(column, tr("Date"), content);
    m_keepDate = new QCheckBox(tr("Keep the source's date"), content);
    m_keepDate->setObjectName(QStringLiteral("keepDateToggle"));
    m_keepDate->setToolTip(tr("The converted file gets the modification time of its source."));
    row->addWidget(m_keepDate);
    row->addStretch(1);
}

void DetailView::buildCommandRow(QVBoxLayout *column, QWidget *content)
{
    QHBoxLayout *row = addRow(column, tr("Command"), content);
    m_commandLine = new QPlainTextEdit(content);
    m_commandLine->setObjectName(QStringLiteral("commandLineView"));
    m_commandLine->setReadOnly(true);
    m_commandLine->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_commandLine->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_commandLine->setFixedHeight(m_commandLine->fontMetrics().lineSpacing() * 5 + 12);
    m_commandLine->setToolTip(tr("The command this job would run with the choices above"));
    row->addWidget(m_commandLine, 1);
    auto *copy = new QToolButton(content);
    copy->setObjectName(QStringLiteral("copyCommandButton"));
    copy->setText(tr("Copy"));
    connect(copy, &QToolButton::clicked, this,
            [this] { QApplication::clipboard()->setText(m_commandLine->toPlainText()); });
    row->addWidget(copy, 0, Qt::AlignTop);
}

void DetailView::alignRowLabels(QWidget *content)
{
    // Row labels share one width: 100 points, or what the longest one needs in the user's language.
    const QList<QLabel *> labels = content->findChildren<QLabel *>();
    int labelWidth = LabelWidth;
    for (const QLabel *label : labels) {
        if (label->property("rowLabel").toBool())
            labelWidth = std::max(labelWidth, label->sizeHint().width() + 4);
    }
    for (QLabel *label : labels) {
        if (label->property("rowLabel").toBool())
            label->setFixedWidth(labelWidth);
    }
    m_destinationNote->setContentsMargins(labelWidth + 12, 0, 6, 0);
    m_conflictNote->setContentsMargins(labelWidth + 12, 0, 6, 0);
    m_copyNoteRow->setContentsMargins(labelWidth + 12, 0, 6, 0);
    m_subtitleNoteRow->setContentsMargins(labelWidth + 12, 0, 6, 0);
    m_cropBusyRow->setContentsMargins(labelWidth + 12, 0, 6, 0);
}

void DetailView::fitToScreen(QWidget *content)
{
    // As large as the form, within the screen's free area (less a margin for the window frame); the
    // form scrolls in what is left. The smallest window still shows a few rows and both buttons.
    const QScreen *screen = parentWidget() ? parentWidget()->screen() : QApplication::primaryScreen();
    const QMargins margins = layout()->contentsMargins();
    const int buttons = layout()->itemAt(1)->sizeHint().height();
    QSize size =
        content->sizeHint() +
        QSize(margins.left() + margins.right() + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4,
              margins.top() + margins.bottom() + layout()->spacing() + buttons);
    if (screen)
        size = size.boundedTo(screen->availableSize() - QSize(40, 60));
    setMinimumSize(QSize(420, 320).boundedTo(size));
    resize(size);
}

void DetailView::load()
{
    m_loading = true;
    const MediaVideo &job = *m_job;
    m_source->setText(job.source);

    // The controls load in the order they are shown, and the rules tied to them run as they load.
    setDestination(job.destination);
    m_container->setCurrentIndex(int(containerOf(job)));
    m_quicktime->setChecked(job.isQuicktime);

    m_videoTrack = job.videoTrack;
    if (job.videoTrack >= 0 && job.videoTrack < m_videoTracks->count())
        m_videoTracks->setCurrentIndex(job.videoTrack);
    m_videoCodec->setCurrentIndex(indexOfCase(job.videoEncoder));
    m_videoDebit->setCurrentIndex(figureIndex(Lists::videoDebits(), job.videoDebit));
    m_videoQuality->setValue(job.videoQuality);
    m_videoRate->setCurrentIndex(indexOfCase(job.videoRate));
    m_width->setCurrentIndex(figureIndex(Lists::widths(), job.width));
    m_height->setCurrentIndex(figureIndex(Lists::heights(), job.height));
    m_deInterlace->setCheckState(job.deInterlace       ? Qt::Checked
                                 : job.deInterlaceAuto ? Qt::PartiallyChecked
                                                       : Qt::Unchecked);

    printLine(job.videoCrop);
    m_cropEdit->setText(job.videoCrop);
    m_crop = job.cropValue;
    if (m_cropPicker->count() > 0 && (m_crop < 0 || m_crop >= m_cropPicker->count()))
        m_crop = 0; // a stored index beyond the presets reads as "none"
    if (m_crop >= 0 && m_crop < m_cropPicker->count()) {
        const QSignalBlocker block(m_cropPicker);
        m_cropPicker->setCurrentIndex(m_crop);
    }
    cropSet(m_crop);

    m_preset->setCurrentIndex(indexOfCase(job.videoPreset));
    m_profile->setCurrentIndex(indexOfCase(job.videoProfile));
    m_tune->setCurrentIndex(indexOfCase(job.videoTune));
    m_hdrOutput = job.hdrOutput;
    updateVideoRows();

    checkRows(m_audioTracks, chosenAudioTracks(job));
    m_audioCodec->setCurrentIndex(indexOfCase(job.audioEncoder));
    // The destination as the container and codecs now shown make it.
    followChoices(true);
    m_audioDebit->setCurrentIndex(figureIndex(Lists::audioDebits(), job.audioDebit));
    m_sampling->setCurrentIndex(figureIndex(Lists::audioSamplings(), job.audioSampling));
    m_channels->setCurrentIndex(indexOfCase(job.audioChannels));

    m_otherParam->setText(job.otherParam);
    checkRows(m_subtitleTracks, chosenSubtitleTracks(job));
    m_burnSubtitle->setCurrentIndex(
        job.subtitleBurn >= 0 && job.subtitleBurn < m_burnSubtitle->count() ? job.subtitleBurn : 0);
    m_keepDate->setChecked(job.keepDate);
    m_subtitleExternal->setText(job.subtitleExternal);
    m_subtitleLanguage->setText(job.subtitleLanguage);

    m_destinationEdited = false;
    m_cropEdited = false;
    m_loading = false;
    updateCommandLine();
}

QString DetailView::destination() const
{
    return m_destination ? m_destination->text() : QString();
}

QString DetailView::cropText() const
{
    return m_cropEdit ? m_cropEdit->text() : QString();
}

QString DetailView::commandLineText() const
{
    return m_commandLine ? m_commandLine->toPlainText() : QString();
}

void DetailView::setDestination(const QString &path)
{
    m_destination->setText(path);
    m_acceptedDestination = path;
    m_destinationEdited = false;
    scheduleCommandLine();
}

void DetailView::showDestinationNote(const QString &text)
{
    m_destinationNote->setText(text);
    m_destinationNote->show();
}

bool DetailView::commitDestination()
{
    m_destinationNote->hide();
    const TypedDestination typed = typedDestination(m_destination->text(), *m_job, pickerIndex(m_container));
    switch (typed.refusal) {
    case TypedDestination::Refusal::None:
        setDestination(typed.path);
        return true;
    case TypedDestination::Refusal::Empty:
        // Back to what the field showed before the user typed.
        setDestination(m_acceptedDestination);
        showDestinationNote(tr("A destination is needed: the previous one is back."));
        return false;
    case TypedDestination::Refusal::MissingFolder:
        setDestination(m_acceptedDestination);
        showDestinationNote(tr("The folder %1 does not exist: the previous destination is back.")
                                .arg(QDir::toNativeSeparators(typed.path)));
        return false;
    }
    return false;
}

void DetailView::followChoices(bool containerChanged)
{
    // Without a name template the codecs play no part in the name.
    if (!containerChanged && m_formatFile == 0) {
        scheduleCommandLine();
        return;
    }
    // Text being typed follows the container too, and so does what a refusal would go back to.
    const int container = pickerIndex(m_container);
    const QString video = m_videoCodec->currentText();
    const QString audio = m_audioCodec->currentText();
    const bool edited = m_destinationEdited;
    m_destination->setText(
        destinationPreview(*m_job, m_formatFile, m_destination->text(), video, audio, container));
    m_acceptedDestination =
        destinationPreview(*m_job, m_formatFile, m_acceptedDestination, video, audio, container);
    m_destinationEdited = edited;
    scheduleCommandLine();
}

void DetailView::runExportPanel()
{
    const QString extension = Lists::containers().at(pickerIndex(m_container));
    const QString chosen = m_panels.saveFile(this, tr("Export video"), m_destination->text(), extension);
    if (chosen.isEmpty())
        return;
    m_destinationNote->hide();
    setDestination(chosen);
    const qsizetype found = Lists::containers().indexOf(QFileInfo(chosen).suffix().toLower());
    if (found >= 0)
        m_container->setCurrentIndex(int(found));
}

void DetailView::runSubtitlePanel()
{
    const QString chosen = m_panels.openFile(this, tr("Import subtitle"), Lists::subtitleExtensions());
    if (!chosen.isEmpty())
        m_subtitleExternal->setText(chosen);
}

void DetailView::updateVideoRows()
{
    if (!m_tune) // still being built
        return;
    const VideoEncoders encoder = caseAtOrFirst<VideoEncoders>(m_videoCodec->currentIndex());
    const bool copy = encoder == VideoEncoders::copy;
    m_copyNote->setVisible(copy);
    // Only the profiles and tunes the encoder takes are offered; one it does not take reads as Auto.
    for (int i = 1; i < m_profile->count(); ++i)
        m_profile->setEntryShown(i, !profileWord(encoder, VideoProfiles(i)).isEmpty());
    if (profileWord(encoder, caseAtOrFirst<VideoProfiles>(m_profile->currentIndex())).isEmpty())
        m_profile->setCurrentIndex(indexOfCase(VideoProfiles::Auto));
    for (int i = 1; i < m_tune->count(); ++i)
        m_tune->setEntryShown(i, takesTune(encoder, VideoTunes(i)));
    if (!takesTune(encoder, caseAtOrFirst<VideoTunes>(m_tune->currentIndex())))
        m_tune->setCurrentIndex(indexOfCase(VideoTunes::Auto));
    for (QWidget *row :
         std::initializer_list<QWidget *>{m_videoRate, m_width, m_height, m_deInterlace, m_cropPicker,
                                          m_previewButton, m_preset, m_profile, m_tune})
        row->setEnabled(!copy);
    // Nothing can be drawn on a copied picture.
    const bool anySubtitle = m_job->subtitleTracks.size() > 1;
    m_burnSubtitle->setEnabled(!copy && anySubtitle);
    // Only the figure that counts can be changed; the other keeps its value for a switch back.
    const int rate = pickerIndex(m_videoRate);
    m_videoDebit->setEnabled(!copy && rate == int(VideoRate::Bitrate));
    m_videoQuality->setEnabled(!copy && rate == int(VideoRate::Quality));
    const bool manual = !copy && m_crop == ManualCrop;
    m_cropEdit->setEnabled(manual);
    m_autocropButton->setEnabled(manual && !m_detecting);
    // The toggle shows what the output gets: a copy keeps everything; an encoder that cannot carry the
    // high dynamic range always converts. The job's own choice waits for an encoder that can.
    const bool canKeep = carriesHdr(encoder) && carriesTenBit(encoder) && m_job->videoBitDepth >= 10;
    const QSignalBlocker block(m_hdrToSdr);
    m_hdrToSdr->setEnabled(!copy && canKeep);
    m_hdrToSdr->setChecked(!copy && (!canKeep || m_hdrOutput == HdrOutput::Sdr));
}

void DetailView::cropSet(int index)
{
    if (index >= 0)
        m_crop = index;
    const QString text = presetCropText(m_crop, *m_job, m_cropEdit->text());
    if (text != m_cropEdit->text()) {
        m_cropEdit->setText(text);
        m_cropEdited = false;
    }
    updateVideoRows();
    if (!m_detecting)
        m_cropNote->hide();
    scheduleCommandLine();
}

void DetailView::cropCommitted()
{
    const QString valid = validateCropText(m_cropEdit->text(), m_job->videoWidth, m_job->videoHeight);
    m_cropEdit->setText(valid);
    m_cropEdited = false;
    printLine(valid);
    scheduleCommandLine();
}

void DetailView::autocrop()
{
    // A second press while the first detection runs is ignored.
    if (m_detecting || m_crop != ManualCrop)
        return;
    const ToolLocation ffmpeg = m_tools.locateTool(QStringLiteral("ffmpeg"));
    if (!ffmpeg.ok()) {
        m_cropNote->setText(ffmpeg.error);
        m_cropNote->show();
        return;
    }
    m_detecting = true;
    updateVideoRows();
    m_cropBusy->show();
    m_cropNote->setText(tr("Looking for black borders…"));
    m_cropNote->show();

    // The relay lives on this thread; the connection goes with the editor, so a result that comes
    // after it is dropped.
    auto *relay = new CropRelay;
    connect(relay, &CropRelay::detected, this, &DetailView::cropDetected, Qt::QueuedConnection);
    m_session.workers().run([relay, tools = m_tools, closing = m_closing, source = m_job->source,
                             seek = m_job->durationVideoMiddle] {
        const QString text = detectCrop(tools, source, seek);
        if (!closing->load())
            emit relay->detected(text);
        relay->deleteLater();
    });
}

void DetailView::cropDetected(const QString &text)
{
    m_detecting = false;
    m_cropBusy->hide();
    updateVideoRows();
    const QString found = withoutRoundingBorders(findCropString(text), m_job->videoWidth, m_job->videoHeight);
    if (found.isEmpty()) {
        m_cropNote->setText(tr("No black borders found: the crop is unchanged."));
        return;
    }
    m_cropNote->hide();
    // The user may have left "manual" meanwhile; a preset's text is then not replaced.
    if (m_crop == ManualCrop) {
        m_cropEdit->setText(found);
        m_cropEdited = false;
        scheduleCommandLine();
    }
}

void DetailView::makeCropPreview()
{
    // A copy of the job's frame, drawn on afresh for every preview.
    QImage picture = m_job->image();
    if (picture.isNull()) {
        const int w = m_job->videoWidth > 0
                          ? int(m_job->videoWidth * std::max(m_job->videoPixelAspectRatio, 0.01))
                          : 1920;
        const int h = m_job->videoHeight > 0 ? m_job->videoHeight : 1080;
        picture = QImage(w, h, QImage::Format_RGB32);
        picture.fill(Qt::darkGray);
    } else {
        picture = picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                    : QImage::Format_RGB32);
    }

    // Without four whole numbers there is no rectangle to draw; the plain picture is shown.
    if (const std::optional<QRect> outline = cropRect(previewCropText(m_crop, *m_job, m_cropEdit->text()))) {
        QPainter painter(&picture);
        // The rectangle's y counts from the bottom edge of the picture.
        painter.translate(0, picture.height());
        painter.scale(1, -1);
        painter.setPen(QPen(Qt::red, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(*outline));
    }

    auto *view = new ImageView(picture, this);
    view->setObjectName(QStringLiteral("cropPreview"));
    view->setAttribute(Qt::WA_DeleteOnClose);
    view->open();
}

void DetailView::applyTo(MediaVideo &target) const
{
    target.container = pickerIndex(m_container);
    target.isQuicktime = m_quicktime->isChecked();
    target.deInterlace = m_deInterlace->checkState() == Qt::Checked;
    target.deInterlaceAuto = m_deInterlace->checkState() == Qt::PartiallyChecked;
    target.destination = m_destination->text();
    target.videoTrack = m_videoTrack;
    target.videoEncoder = caseAtOrFirst<VideoEncoders>(m_videoCodec->currentIndex());
    target.videoDebit = Lists::rateFigure(Lists::videoDebits().at(pickerIndex(m_videoDebit)));
    target.videoRate = caseAtOrFirst<VideoRate>(m_videoRate->currentIndex());
    target.videoQuality = m_videoQuality->value();
    target.width = Lists::sizeFigure(Lists::widths().at(pickerIndex(m_width)));
    target.height = Lists::sizeFigure(Lists::heights().at(pickerIndex(m_height)));
    target.videoCrop = m_cropEdit->text();
    target.cropValue = m_crop;
    target.videoPreset = caseAtOrFirst<VideoPresets>(m_preset->currentIndex());
    target.videoProfile = caseAtOrFirst<VideoProfiles>(m_profile->currentIndex());
    target.videoTune = caseAtOrFirst<VideoTunes>(m_tune->currentIndex());
    target.audioDebit = Lists::rateFigure(Lists::audioDebits().at(pickerIndex(m_audioDebit)));
    target.audioSampling = Lists::rateFigure(Lists::audioSamplings().at(pickerIndex(m_sampling)));
    target.audioChannels = caseAtOrFirst<AudioChannels>(pickerIndex(m_channels));
    target.hdrOutput = m_hdrOutput;
    target.audioEncoder = caseAtOrFirst<AudioEncoders>(m_audioCodec->currentIndex());
    target.otherParam = m_otherParam->text();
    applyTracks(target);
    target.subtitleBurn = m_burnSubtitle->currentIndex() > 0 ? m_burnSubtitle->currentIndex() : 0;
    target.keepDate = m_keepDate->isChecked();
    target.subtitleExternal = m_subtitleExternal->text();
    target.subtitleLanguage = m_subtitleLanguage->text();
}

void DetailView::applyTracks(MediaVideo &target) const
{
    // Only a change is written: the job's own fields keep saying what they said.
    if (m_audioTracks->isEnabled()) {
        if (const QList<int> checked = checkedRows(m_audioTracks); checked != chosenAudioTracks(target))
            chooseAudioTracks(target, checked);
    }
    if (m_subtitleTracks->isEnabled()) {
        if (const QList<int> checked = checkedRows(m_subtitleTracks); checked != chosenSubtitleTracks(target))
            chooseSubtitleTracks(target, checked);
    }
}

MediaVideo DetailView::edited() const
{
    MediaVideo copy = *m_job;
    if (m_container)
        applyTo(copy);
    return copy;
}

void DetailView::confirm()
{
    // Text typed but not yet committed with Return is committed now, as the user sees it.
    if (m_destinationEdited && !commitDestination())
        return;
    if (m_cropEdited)
        cropCommitted();

    // Subtitles the container cannot hold, or a file that is not there, would only fail or go
    // missing later.
    if (const SubtitleCheck subtitles = checkSubtitles(edited()); !subtitles.ok()) {
        auto *refusal =
            new QMessageBox(QMessageBox::Warning, tr("Subtitle"), subtitles.reason, QMessageBox::Ok, this);
        refusal->setObjectName(QStringLiteral("subtitleRefusal"));
        refusal->setAttribute(Qt::WA_DeleteOnClose);
        refusal->open();
        return;
    }

    applyTo(*m_job);
    accept();
}

void DetailView::scheduleCommandLine()
{
    if (!m_loading && m_commandTimer)
        m_commandTimer->start();
}

void DetailView::updateCommandLine()
{
    if (!m_commandLine)
        return;
    const MediaVideo job = edited();
    const CommandLine command =
        commandLine(job, m_tools, Preferences::readText(Preferences::Key::otherParams).value_or(QString()),
                    CropDetection::Describe, m_catalog);
    m_commandLine->setPlainText(command.ok() ? command.text : tr("No command: %1").arg(command.error));
    const QString leftOut = leftOutNote(job);
    m_subtitleNote->setText(leftOut.isEmpty() ? QString() : QStringLiteral("⚠ ") + leftOut);
    m_subtitleNote->setVisible(!leftOut.isEmpty());
    updateConflictNote();
}

void DetailView::setConflictCheck(ConflictCheck check)
{
    m_conflictCheck = std::move(check);
    updateConflictNote();
}

void DetailView::updateConflictNote()
{
    if (!m_conflictNote)
        return;
    const QString text = m_conflictCheck ? m_conflictCheck(edited()) : QString();
    m_conflictNote->setText(text.isEmpty() ? QString() : QStringLiteral("⚠ ") + text);
    m_conflictNote->setVisible(!text.isEmpty());
}

#include "DetailView.moc"
