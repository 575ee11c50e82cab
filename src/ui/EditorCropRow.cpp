#include "ui/EditorCropRow.h"

#include "media/Preview.h"
#include "model/MediaVideo.h"
#include "rules/Crop.h"
#include "rules/CropPresets.h"
#include "session/Session.h"
#include "ui/ImageView.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using namespace EditorRows;

namespace {

// Carries the result of a crop detection from its worker back to the row, by a queued signal, and lets
// the row go away meanwhile.
class CropRelay : public QObject
{
    Q_OBJECT
signals:
    void detected(const QString &text);
};

} // namespace

EditorCropRow::EditorCropRow(MediaVideo &draft, Session &session, QVBoxLayout *column, QWidget *content)
    : EditorPart(draft, content), m_session(session), m_tools(session.tools())
{
    // The detection's ffmpeg stops when this row goes; the session's end stops every tool anyway.
    m_tools.setCancellation(m_closing);
    QHBoxLayout *row = addRow(column, tr("Crop"), content);
    // "none" and "manual" are words; the ratio names read the same in every language. The position
    // is what is stored.
    QStringList names;
    for (int i = 0; i < crops().size(); ++i)
        names << (i == NoCrop ? tr("none") : i == ManualCrop ? tr("manual") : crops().at(i).name);
    m_picker = listPicker(names, QStringLiteral("cropPicker"), content);
    row->addWidget(m_picker);
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
    m_edit = new QLineEdit(content);
    m_edit->setObjectName(QStringLiteral("cropEdit"));
    m_edit->setFixedWidth(250);
    row->addWidget(m_edit);
    row->addStretch(1);
    watchFocus(m_edit, [](bool) { printLine(QStringLiteral("on Editing changed")); });
    connect(m_picker, &QComboBox::currentIndexChanged, this, &EditorCropRow::presetChosen);
    connect(m_edit, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_draft.videoCrop = text;
        if (m_showsProblem)
            clearProblems();
        emit edited();
    });
    // Return says at once what "Ok" would say of the crop.
    connect(m_edit, &QLineEdit::returnPressed, this, [this] {
        printLine(m_draft.videoCrop);
        if (const QString problem = draftProblem(m_draft, DraftProblem::Field::Crop); !problem.isEmpty())
            showProblem({DraftProblem::Field::Crop, problem});
        else if (m_showsProblem)
            clearProblems();
    });
    connect(m_autocropButton, &QPushButton::clicked, this, &EditorCropRow::autocrop);
    connect(m_previewButton, &QPushButton::clicked, this, &EditorCropRow::showPreview);

    // Shown while a detection runs, to tell that it found nothing, or what is wrong with the crop.
    auto *busyRow = new QHBoxLayout;
    busyRow->setProperty("noteRow", true);
    m_busy = new QProgressBar(content);
    m_busy->setObjectName(QStringLiteral("cropBusy"));
    m_busy->setRange(0, 0);
    m_busy->setTextVisible(false);
    m_busy->setFixedWidth(ListPickerWidth);
    m_busy->hide();
    busyRow->addWidget(m_busy);
    m_note = new QLabel(content);
    m_note->setObjectName(QStringLiteral("cropNote"));
    m_note->setWordWrap(true);
    m_note->hide();
    busyRow->addWidget(m_note, 1);
    column->addLayout(busyRow);
}

EditorCropRow::~EditorCropRow()
{
    // A detection still running is stopped; its worker ends on its own without the window waiting.
    m_closing->store(true);
}

void EditorCropRow::load()
{
    printLine(m_draft.videoCrop);
    // A stored index beyond the presets reads as "none"; a preset's text is made for this picture.
    if (m_draft.cropValue < 0 || m_draft.cropValue >= crops().size())
        m_draft.cropValue = NoCrop;
    m_draft.videoCrop = presetCropText(m_draft.cropValue, m_draft, m_draft.videoCrop);
    m_picker->setCurrentIndex(m_draft.cropValue);
    m_edit->setText(m_draft.videoCrop);
}

void EditorCropRow::refresh()
{
    const bool copy = m_draft.videoEncoder == VideoEncoders::copy;
    const bool manual = !copy && m_draft.cropValue == ManualCrop;
    m_picker->setEnabled(!copy);
    m_previewButton->setEnabled(!copy);
    m_edit->setEnabled(manual);
    m_autocropButton->setEnabled(manual && !m_detecting);
}

void EditorCropRow::presetChosen(int index)
{
    if (index >= 0)
        m_draft.cropValue = index;
    const QString text = presetCropText(m_draft.cropValue, m_draft, m_draft.videoCrop);
    if (text != m_draft.videoCrop) {
        m_draft.videoCrop = text;
        m_edit->setText(text);
    }
    if (!m_detecting)
        clearProblems();
    emit edited();
}

void EditorCropRow::autocrop()
{
    // A second press while the first detection runs is ignored.
    if (m_detecting || m_draft.cropValue != ManualCrop)
        return;
    const ToolLocation ffmpeg = m_tools.locateTool(QStringLiteral("ffmpeg"));
    if (!ffmpeg.ok()) {
        showNote(ffmpeg.error, false);
        return;
    }
    m_detecting = true;
    refresh();
    m_busy->show();
    showNote(tr("Looking for black borders…"), false);

    // The relay lives on this thread; the connection goes with the row, so a result that comes after it
    // is dropped.
    auto *relay = new CropRelay;
    connect(relay, &CropRelay::detected, this, &EditorCropRow::cropDetected, Qt::QueuedConnection);
    m_session.workers().run([relay, tools = m_tools, closing = m_closing, source = m_draft.source,
                             seek = m_draft.durationVideoMiddle] {
        const QString text = detectCrop(tools, source, seek);
        if (!closing->load())
            emit relay->detected(text);
        relay->deleteLater();
    });
}

void EditorCropRow::cropDetected(const QString &text)
{
    m_detecting = false;
    m_busy->hide();
    refresh();
    const QString found =
        withoutRoundingBorders(findCropString(text), m_draft.videoWidth, m_draft.videoHeight);
    if (found.isEmpty()) {
        showNote(tr("No black borders found: the crop is unchanged."), false);
        return;
    }
    m_note->hide();
    // The user may have left "manual" meanwhile; a preset's text is then not replaced.
    if (m_draft.cropValue == ManualCrop) {
        m_draft.videoCrop = found;
        m_edit->setText(found);
        emit edited();
    }
}

void EditorCropRow::showPreview()
{
    // A copy of the job's frame, drawn on afresh for every preview.
    QImage picture = m_draft.image();
    if (picture.isNull()) {
        const int w = m_draft.videoWidth > 0
                          ? int(m_draft.videoWidth * std::max(m_draft.videoPixelAspectRatio, 0.01))
                          : 1920;
        const int h = m_draft.videoHeight > 0 ? m_draft.videoHeight : 1080;
        picture = QImage(w, h, QImage::Format_RGB32);
        picture.fill(Qt::darkGray);
    } else {
        picture = picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                    : QImage::Format_RGB32);
    }

    // Without four whole numbers there is no rectangle to draw; the plain picture is shown.
    const QString crop = previewCropText(m_draft.cropValue, m_draft, m_draft.videoCrop);
    if (const std::optional<QRect> outline = cropRect(crop)) {
        QPainter painter(&picture);
        // The rectangle's y counts from the bottom edge of the picture.
        painter.translate(0, picture.height());
        painter.scale(1, -1);
        painter.setPen(QPen(Qt::red, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(*outline));
    }

    auto *view = new ImageView(picture, m_content->window());
    view->setObjectName(QStringLiteral("cropPreview"));
    view->setAttribute(Qt::WA_DeleteOnClose);
    view->open();
}

void EditorCropRow::showNote(const QString &text, bool problem)
{
    m_note->setText(text);
    m_note->show();
    m_showsProblem = problem;
}

bool EditorCropRow::showProblem(const DraftProblem &problem)
{
    if (problem.field != DraftProblem::Field::Crop)
        return false;
    showNote(problem.message, true);
    m_edit->setFocus();
    return true;
}

void EditorCropRow::clearProblems()
{
    // The detection's own note stays while it runs.
    if (!m_detecting || m_showsProblem)
        m_note->hide();
    m_showsProblem = false;
}

#include "EditorCropRow.moc"
