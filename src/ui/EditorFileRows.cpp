#include "ui/EditorFileRows.h"

#include "model/MediaVideo.h"
#include "model/Preferences.h"
#include "rules/JobRules.h"
#include "ui/Panels.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

using namespace EditorRows;

EditorFileRows::EditorFileRows(MediaVideo &draft, const MediaVideo &job, Panels &panels, QVBoxLayout *column,
                               QWidget *content)
    : EditorPart(draft, content), m_job(job), m_panels(panels),
      m_formatFile(Preferences::readInt(Preferences::Key::formatFile))
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
    watchFocus(m_destination, [this](bool begins) { printEditing(begins, m_destination->text()); });
    connect(m_destination, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_draft.destination = text;
        m_typed = true;
        m_destinationNote->hide();
        emit edited();
    });
    connect(m_destination, &QLineEdit::returnPressed, this, [this] {
        takeTypedDestination();
        clearProblems();
        if (const QString problem = draftProblem(m_draft, DraftProblem::Field::Destination);
            !problem.isEmpty())
            showProblem({DraftProblem::Field::Destination, problem});
        emit edited();
    });
    connect(m_exportButton, &QToolButton::clicked, this,
            [this] { QTimer::singleShot(100, this, &EditorFileRows::runExportPanel); });

    m_destinationNote = addNote(column, QStringLiteral("destinationNote"), content);
    m_conflictNote = addNote(column, QStringLiteral("destinationConflict"), content);
    m_conflictNote->setStyleSheet(QStringLiteral("color: #b26a00;"));

    row = addRow(column, tr("Container"), content);
    m_container = listPicker(Lists::containers(), QStringLiteral("containerPicker"), content);
    row->addWidget(m_container);
    row->addStretch(1);
    m_quicktime = new QCheckBox(tr("Quicktime"), content);
    m_quicktime->setObjectName(QStringLiteral("quicktimeToggle"));
    row->addWidget(m_quicktime);
    connect(m_container, &QComboBox::currentIndexChanged, this, [this] {
        m_draft.container = pickerIndex(m_container);
        emit edited();
    });
    connect(m_quicktime, &QCheckBox::toggled, this, [this](bool checked) {
        m_draft.isQuicktime = checked;
        emit edited();
    });
    // Nothing starts out being edited: typing goes nowhere until the user picks a field.
    m_container->setFocus();
}

void EditorFileRows::load()
{
    m_draft.container = int(containerOf(m_draft));
    m_source->setText(m_draft.source);
    m_destination->setText(m_draft.destination);
    m_container->setCurrentIndex(m_draft.container);
    m_quicktime->setChecked(m_draft.isQuicktime);
    m_typed = false;
    m_followed = {-1, {}, {}};
}

void EditorFileRows::refresh()
{
    const std::tuple choices{m_draft.container, m_draft.videoEncoder, m_draft.audioEncoder};
    if (choices == m_followed)
        return;
    const bool containerChanged = std::get<0>(choices) != std::get<0>(m_followed);
    m_followed = choices;
    // Without a name template the codecs play no part in the name. Text being typed follows the
    // container too.
    if (!containerChanged && m_formatFile == 0)
        return;
    m_draft.destination =
        destinationPreview(m_draft, m_formatFile, m_draft.destination, rawText(m_draft.videoEncoder),
                           rawText(m_draft.audioEncoder), m_draft.container);
    m_destination->setText(m_draft.destination);
}

void EditorFileRows::takeTypedDestination()
{
    if (!m_typed)
        return;
    const TypedDestination typed = typedDestination(m_draft.destination, m_job, m_draft.container);
    if (typed.refusal != TypedDestination::Refusal::None)
        return;
    m_draft.destination = typed.path;
    m_destination->setText(typed.path);
    m_typed = false;
}

bool EditorFileRows::showProblem(const DraftProblem &problem)
{
    if (problem.field != DraftProblem::Field::Destination)
        return false;
    m_destinationNote->setText(problem.message);
    m_destinationNote->show();
    m_destination->setFocus();
    return true;
}

void EditorFileRows::clearProblems()
{
    m_destinationNote->hide();
}

void EditorFileRows::showConflict(const QString &text)
{
    m_conflictNote->setText(text.isEmpty() ? QString() : QStringLiteral("⚠ ") + text);
    m_conflictNote->setVisible(!text.isEmpty());
}

void EditorFileRows::runExportPanel()
{
    const QString extension = Lists::containers().at(m_draft.container);
    const QString chosen =
        m_panels.saveFile(m_content->window(), tr("Export video"), m_destination->text(), extension);
    if (chosen.isEmpty())
        return;
    m_destinationNote->hide();
    m_draft.destination = chosen;
    m_destination->setText(chosen);
    m_typed = false;
    emit edited();
    const qsizetype found = Lists::containers().indexOf(QFileInfo(chosen).suffix().toLower());
    if (found >= 0)
        m_container->setCurrentIndex(int(found));
}
