#include "ui/EditorOtherRows.h"

#include "model/MediaVideo.h"
#include "rules/JobRules.h"
#include "ui/Panels.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace EditorRows;

EditorOtherRows::EditorOtherRows(MediaVideo &draft, Panels &panels, QVBoxLayout *column, QWidget *content)
    : EditorPart(draft, content), m_panels(panels)
{
    // Inside the audio group, under a header of its own.
    column->addWidget(groupHeader(tr("Other"), content));
    QHBoxLayout *row = addRow(column, tr("Other params"), content);
    m_otherParam = new QLineEdit(content);
    m_otherParam->setObjectName(QStringLiteral("otherParamEdit"));
    m_otherParam->setPlaceholderText(tr("params"));
    row->addWidget(m_otherParam);
    watchFocus(m_otherParam, [this](bool begins) { printEditing(begins, m_otherParam->text()); });
    connect(m_otherParam, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_draft.otherParam = text;
        emit edited();
    });

    row = addRow(column, tr("Subtitles"), content);
    const QStringList lines = subtitleStreamLines(m_draft);
    const QStringList labels = trackLabels(m_draft, MediaStream::Kind::Subtitle, lines);
    m_subtitleTracks = trackChecklist(labels, lines, QStringLiteral("subtitleTrackList"), content);
    if (lines.isEmpty()) {
        m_subtitleTracks->addItem(tr("No subtitle"));
        m_subtitleTracks->setEnabled(false);
    }
    row->addWidget(m_subtitleTracks, 1);
    // Only a change is written: the job's own fields keep saying what they said.
    connect(m_subtitleTracks, &QListWidget::itemChanged, this, [this] {
        if (const QList<int> checked = checkedRows(m_subtitleTracks);
            m_subtitleTracks->isEnabled() && checked != chosenSubtitleTracks(m_draft))
            chooseSubtitleTracks(m_draft, checked);
        emit edited();
    });

    row = addRow(column, tr("Burn in"), content);
    m_burnSubtitle = new QComboBox(content);
    m_burnSubtitle->setObjectName(QStringLiteral("burnSubtitlePicker"));
    m_burnSubtitle->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_burnSubtitle->setMaximumWidth(RowWidth);
    m_burnSubtitle->addItem(tr("None"));
    m_burnSubtitle->addItems(labels);
    m_burnSubtitle->setToolTip(tr("Draws one subtitle track into the picture, for players that show no "
                                  "subtitles; it is then not kept as a track."));
    row->addWidget(m_burnSubtitle);
    row->addStretch(1);
    connect(m_burnSubtitle, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_draft.subtitleBurn = std::max(0, index);
        emit edited();
    });
    // Under the fields, like the other notes: no row of its own while hidden.
    m_subtitleNote = addNote(column, QStringLiteral("subtitleNote"), content);

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
    m_externalNote = addNote(column, QStringLiteral("subtitleExternalNote"), content);
    watchFocus(m_subtitleExternal, [this](bool begins) { printEditing(begins, m_subtitleExternal->text()); });
    watchFocus(m_subtitleLanguage, [this](bool begins) { printEditing(begins, m_subtitleLanguage->text()); });
    connect(m_subtitleExternal, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_draft.subtitleExternal = text;
        m_externalNote->hide();
        emit edited();
    });
    connect(m_subtitleLanguage, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_draft.subtitleLanguage = text;
        emit edited();
    });
    connect(m_subtitleButton, &QToolButton::clicked, this,
            [this] { QTimer::singleShot(100, this, &EditorOtherRows::runSubtitlePanel); });

    row = addRow(column, tr("Date"), content);
    m_keepDate = new QCheckBox(tr("Keep the source's date"), content);
    m_keepDate->setObjectName(QStringLiteral("keepDateToggle"));
    m_keepDate->setToolTip(tr("The converted file gets the modification time of its source."));
    row->addWidget(m_keepDate);
    row->addStretch(1);
    connect(m_keepDate, &QCheckBox::toggled, this, [this](bool checked) {
        m_draft.keepDate = checked;
        emit edited();
    });
}

void EditorOtherRows::load()
{
    m_otherParam->setText(m_draft.otherParam);
    checkRows(m_subtitleTracks, chosenSubtitleTracks(m_draft));
    if (m_draft.subtitleBurn < 0 || m_draft.subtitleBurn >= m_burnSubtitle->count())
        m_draft.subtitleBurn = 0;
    m_burnSubtitle->setCurrentIndex(m_draft.subtitleBurn);
    m_keepDate->setChecked(m_draft.keepDate);
    m_subtitleExternal->setText(m_draft.subtitleExternal);
    m_subtitleLanguage->setText(m_draft.subtitleLanguage);
}

void EditorOtherRows::refresh()
{
    // Nothing can be drawn on a copied picture.
    m_burnSubtitle->setEnabled(m_draft.videoEncoder != VideoEncoders::copy &&
                               m_draft.subtitleTracks.size() > 1);
}

bool EditorOtherRows::showProblem(const DraftProblem &problem)
{
    if (problem.field != DraftProblem::Field::SubtitleExternal)
        return false;
    m_externalNote->setText(problem.message);
    m_externalNote->show();
    m_subtitleExternal->setFocus();
    return true;
}

void EditorOtherRows::clearProblems()
{
    m_externalNote->hide();
}

void EditorOtherRows::showLeftOut(const QString &text)
{
    m_subtitleNote->setText(text.isEmpty() ? QString() : QStringLiteral("⚠ ") + text);
    m_subtitleNote->setVisible(!text.isEmpty());
}

void EditorOtherRows::runSubtitlePanel()
{
    const QString chosen =
        m_panels.openFile(m_content->window(), tr("Import subtitle"), Lists::subtitleExtensions());
    if (!chosen.isEmpty())
        m_subtitleExternal->setText(chosen);
}
