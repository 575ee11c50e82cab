#include "ui/DetailView.h"

#include "media/EncoderCatalog.h"
#include "media/JobCommand.h"
#include "model/Preferences.h"
#include "rules/CommandLine.h"
#include "rules/DraftProblems.h"
#include "rules/JobRules.h"
#include "session/Session.h"
#include "ui/EditorAudioRows.h"
#include "ui/EditorCommandView.h"
#include "ui/EditorCropRow.h"
#include "ui/EditorFileRows.h"
#include "ui/EditorOtherRows.h"
#include "ui/EditorVideoRows.h"
#include "ui/Pickers.h"
#include "ui/PresetDialogs.h"

#include "media/MediaProbe.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <vector>

DetailView::DetailView(MediaVideo::Ptr job, Session &session, Panels &panels, QWidget *parent)
    : QDialog(parent), m_job(std::move(job)), m_session(session), m_panels(panels), m_tools(session.tools())
{
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("detailView"));
    if (!m_job || m_job->source.isEmpty()) {
        buildOups();
        return;
    }
    // The draft shares the job's encoded preview (Qt's copy on write) and none of its observers.
    m_draft = *m_job;
    setWindowTitle(QFileInfo(m_job->source).fileName());
    buildEditor();
    followEncoderCatalog(session.encoders());
}

DetailView::~DetailView()
{
    // The rows go before the draft they are bound to.
    qDeleteAll(findChildren<QScrollArea *>(Qt::FindDirectChildrenOnly));
}

void DetailView::followEncoderCatalog(const EncoderCatalog *catalog)
{
    if (m_catalog)
        disconnect(m_catalog, nullptr, this, nullptr);
    m_catalog = catalog;
    if (!m_videoRows)
        return; // the "Oups" sheet has no picker
    const auto mark = [this] {
        markUnavailableEncoders(m_videoRows->codecPicker(), m_catalog);
        markUnavailableEncoders(m_audioRows->codecPicker(), m_catalog);
        showOutcome();
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
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("editorScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto *content = new QWidget(scroll);
    auto *column = new QVBoxLayout(content);
    column->setAlignment(Qt::AlignTop | Qt::AlignLeading);
    scroll->setWidget(content);
    outer->addWidget(scroll, 1);

    m_content = content;
    buildPresetRow(column, content);
    column->addWidget(EditorRows::divider(content));
    m_fileRows = new EditorFileRows(m_draft, *m_job, m_panels, column, content);
    column->addWidget(EditorRows::divider(content));
    m_videoRows = new EditorVideoRows(m_draft, m_session, column, content);
    column->addWidget(EditorRows::divider(content));
    m_audioRows = new EditorAudioRows(m_draft, column, content);
    m_otherRows = new EditorOtherRows(m_draft, m_panels, column, content);
    m_commandView = new EditorCommandView(m_draft, column, content);
    m_parts = {m_fileRows, m_videoRows, m_audioRows, m_otherRows, m_commandView};
    EditorRows::alignRowLabels(content);

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

    // Changes come in bursts (a codec brings its quality scale); what they lead to is shown once.
    m_outcomeTimer = new QTimer(this);
    m_outcomeTimer->setSingleShot(true);
    m_outcomeTimer->setInterval(0);
    connect(m_outcomeTimer, &QTimer::timeout, this, &DetailView::showOutcome);
    for (EditorPart *part : std::as_const(m_parts))
        connect(part, &EditorPart::edited, this, &DetailView::draftChanged);

    load(content);
    fitToScreen(content);
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

void DetailView::load(QWidget *content)
{
    // The rows show the draft without writing it back as they are set; each part makes the draft what its
    // rows can show (a figure no list holds reads as "Auto"), and the rules tied to them then run once.
    {
        std::vector<QSignalBlocker> quiet;
        for (QWidget *widget : content->findChildren<QWidget *>())
            quiet.emplace_back(widget);
        for (EditorPart *part : std::as_const(m_parts))
            part->load();
    }
    for (EditorPart *part : std::as_const(m_parts))
        part->refresh();
    showPresetState();
    showOutcome();
}

void DetailView::draftChanged()
{
    for (EditorPart *part : std::as_const(m_parts))
        part->refresh();
    showPresetState();
    m_outcomeTimer->start();
}

void DetailView::buildPresetRow(QVBoxLayout *column, QWidget *content)
{
    QHBoxLayout *row = EditorRows::addRow(column, tr("Preset"), content);
    m_presetPicker = new QComboBox(content);
    m_presetPicker->setObjectName(QStringLiteral("jobPresetPicker"));
    m_presetPicker->setMinimumWidth(EditorRows::ListPickerWidth + 100);
    m_presets = m_session.presets().all();
    PresetDialogs::fillPicker(m_presetPicker, m_presets, m_draft.preset);
    row->addWidget(m_presetPicker);
    m_presetModified = new QLabel(tr("modified"), content);
    m_presetModified->setObjectName(QStringLiteral("presetModifiedNote"));
    m_presetModified->setToolTip(tr("A setting differs from the preset's since it was chosen."));
    QFont italic = m_presetModified->font();
    italic.setItalic(true);
    m_presetModified->setFont(italic);
    row->addWidget(m_presetModified);
    row->addStretch(1);
    auto *save = new QPushButton(tr("Save as Preset…"), content);
    save->setObjectName(QStringLiteral("saveAsPresetButton"));
    save->setAutoDefault(false);
    row->addWidget(save);
    connect(m_presetPicker, &QComboBox::activated, this, &DetailView::choosePreset);
    connect(save, &QPushButton::clicked, this, [this] {
        PresetDialogs::saveAs(this, m_session.presets(), m_draft, [this](const QString &name) {
            m_draft.preset = name;
            m_presets = m_session.presets().all();
            PresetDialogs::fillPicker(m_presetPicker, m_presets, name);
            showPresetState();
        });
    });
}

void DetailView::choosePreset(int index)
{
    const QString name = m_presetPicker->itemData(index).toString();
    if (name.isEmpty()) {
        m_draft.preset.clear();
        showPresetState();
        return;
    }
    const Preset *found = findPreset(m_presets, name);
    if (!found || !found->usable())
        return;
    // Until the user agrees to a preset's extra parameters, the picker shows the draft as it is.
    PresetDialogs::fillPicker(m_presetPicker, m_presets, m_draft.preset);
    PresetDialogs::confirmParameters(this, *found, [this, preset = *found] {
        applyPresetToJob(m_draft, preset);
        PresetDialogs::fillPicker(m_presetPicker, m_presets, preset.name);
        load(m_content);
        draftChanged();
    });
}

void DetailView::showPresetState()
{
    if (!m_presetModified)
        return;
    const Preset *found = findPreset(m_presets, m_draft.preset);
    m_presetModified->setVisible(found && !matchesPreset(m_draft, found->settings));
}

void DetailView::showOutcome()
{
    if (!m_commandView)
        return;
    PlannedOutput plan;
    plan.destination = plan.path = m_draft.destination;
    if (m_outputCheck)
        plan = m_outputCheck(m_draft);
    // The command names the output the run would write, and replaces a file only where the run would.
    MediaVideo shown = m_draft;
    shown.destination = plan.path;
    m_commandView->showCommand(
        plan.runs() ? commandLine(shown, m_tools,
                                  Preferences::readText(Preferences::Key::otherParams).value_or(QString()),
                                  CropDetection::Describe, m_catalog,
                                  plan.action == PlannedOutput::Action::Replace ? ExistingFiles::Replace
                                                                                : ExistingFiles::Keep)
                    : CommandLine{{}, plan.refusal()});
    m_otherRows->showLeftOut(leftOutNote(m_draft));
    m_fileRows->showConflict(plan.note());
}

void DetailView::setOutputCheck(OutputCheck check)
{
    m_outputCheck = std::move(check);
    showOutcome();
}

QString DetailView::commandLineText() const
{
    return m_commandView ? m_commandView->text() : QString();
}

void DetailView::confirm()
{
    // Text typed in the destination is taken as Return would take it.
    m_fileRows->takeTypedDestination();
    draftChanged();
    for (EditorPart *part : std::as_const(m_parts))
        part->clearProblems();
    const QList<DraftProblem> problems = draftProblems(m_draft);
    if (!problems.isEmpty()) {
        // Each beside its row; the first row ends up with the focus.
        for (auto it = problems.rbegin(); it != problems.rend(); ++it) {
            for (EditorPart *part : std::as_const(m_parts)) {
                if (part->showProblem(*it))
                    break;
            }
        }
        return;
    }
    // Everything at once; the job's observers stay its own.
    *m_job = m_draft;
    accept();
}
