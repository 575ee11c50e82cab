#include "ui/ProgressionView.h"

#include "encoding/RunStatus.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>

ProgressionView::ProgressionView(RunStatus *status, QWidget *parent)
    : QWidget(parent), m_status(status), m_title(new QLabel(this)), m_bar(new QProgressBar(this)),
      m_value(new QLabel(this))
{
    m_title->setObjectName(QStringLiteral("progressTitle"));
    m_value->setObjectName(QStringLiteral("progressValue"));
    m_title->setTextFormat(Qt::PlainText);
    m_title->setMinimumWidth(1); // a long file name must not widen the sheet
    m_bar->setRange(0, 100);
    m_bar->setTextVisible(false);

    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(4);
    layout->addWidget(m_title);
    layout->addWidget(m_bar);
    layout->addWidget(m_value);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);

    connect(m_status, &RunStatus::changed, this, &ProgressionView::refresh);
    refresh();
}

QString ProgressionView::title() const
{
    return m_title->text();
}

QString ProgressionView::valueText() const
{
    return m_value->text();
}

int ProgressionView::barValue() const
{
    return m_bar->value();
}

void ProgressionView::refresh()
{
    m_title->setText(m_status->currentEncodeFile());
    m_bar->setValue(m_status->barValue());
    m_value->setText(m_status->valueText());
}

ProgressSheet::ProgressSheet(RunStatus *status, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_status(status),
      m_progression(new ProgressionView(status, this)), m_timeLeft(new QLabel(this)),
      m_stop(new QPushButton(tr("Stop"), this)), m_pause(new QPushButton(tr("Pause"), this)),
      m_stopAfter(new QPushButton(tr("Stop After This File"), this)),
      m_whenDoneLabel(new QLabel(tr("When done:"), this)), m_whenDone(new QComboBox(this))
{
    setObjectName(QStringLiteral("progressSheet"));
    // Where the window manager draws no frame around a sheet, it still stands out from the window.
    setStyleSheet(QStringLiteral("#progressSheet { border: 1px solid palette(dark); }"));
    setWindowTitle(tr("Progress"));
    // Not modal: a window blocked by a modal dialog never hears the window manager's close button, and
    // the user must be able to quit during a run. The window's content is disabled meanwhile instead.
    setWindowModality(Qt::NonModal);
    m_timeLeft->setObjectName(QStringLiteral("timeLeft"));
    m_stop->setObjectName(QStringLiteral("stop"));
    m_stop->setAutoDefault(false);
    m_stop->setToolTip(tr("Stop.help"));

    m_pause->setObjectName(QStringLiteral("pause"));
    m_pause->setAutoDefault(false);
    m_pause->setCheckable(true);
    m_stopAfter->setObjectName(QStringLiteral("stopAfterCurrent"));
    m_stopAfter->setAutoDefault(false);
    m_whenDone->setObjectName(QStringLiteral("whenDone"));
    m_whenDoneLabel->setBuddy(m_whenDone);
    setWhenDoneChoices({WhenDone::Nothing, WhenDone::Quit});

    // The time left lines up with the texts of the progression above it.
    const QMargins inner = m_progression->layout()->contentsMargins();
    auto *row = new QHBoxLayout;
    row->setContentsMargins(inner.left(), 0, inner.right(), 0);
    row->addWidget(m_timeLeft, 1);
    row->addWidget(m_whenDoneLabel);
    row->addWidget(m_whenDone);
    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(inner.left(), 0, inner.right(), 0);
    buttons->addStretch(1);
    buttons->addWidget(m_pause);
    buttons->addWidget(m_stopAfter);
    buttons->addWidget(m_stop);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_progression);
    layout->addLayout(row);
    layout->addLayout(buttons);

    connect(m_stop, &QPushButton::clicked, this, [this] {
        m_stop->setEnabled(false); // one press is enough; the sheet goes once the work has ended
        emit stopRequested();
    });
    connect(m_pause, &QPushButton::toggled, this, [this](bool paused) {
        m_pause->setText(paused ? tr("Resume") : tr("Pause"));
        emit pauseRequested(paused);
    });
    connect(m_stopAfter, &QPushButton::clicked, this, [this] {
        m_stopAfter->setEnabled(false);
        emit stopAfterCurrentRequested();
    });
    connect(m_whenDone, &QComboBox::activated, this, [this] { emit whenDoneChosen(whenDone()); });
    connect(m_status, &RunStatus::changed, this, &ProgressSheet::refresh);
    showRunControls(false);
    refresh();
}

void ProgressSheet::setWhenDoneChoices(const QList<WhenDone> &choices)
{
    const WhenDone current = m_whenDone->count() > 0 ? whenDone() : WhenDone::Nothing;
    m_whenDone->clear();
    for (WhenDone action : choices)
        m_whenDone->addItem(PowerActions::label(action), QVariant::fromValue(action));
    const int kept = m_whenDone->findData(QVariant::fromValue(current));
    m_whenDone->setCurrentIndex(std::max(0, kept));
    if (kept < 0 && current != WhenDone::Nothing)
        emit whenDoneChosen(whenDone());
}

WhenDone ProgressSheet::whenDone() const
{
    return m_whenDone->currentData().value<WhenDone>();
}

QString ProgressSheet::formatSecondsLeft(double seconds)
{
    if (!(seconds >= 0) || !std::isfinite(seconds))
        return {};
    const qint64 total = qint64(std::ceil(seconds));
    const qint64 h = total / 3600, m = total / 60 % 60, s = total % 60;
    if (h > 0)
        return QStringLiteral("%1:%2:%3")
            .arg(h)
            .arg(m, 2, 10, QLatin1Char('0'))
            .arg(s, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
}

QString ProgressSheet::timeLeftText() const
{
    return m_timeLeft->text();
}

void ProgressSheet::refresh()
{
    const QString job = formatSecondsLeft(m_status->jobSecondsLeft());
    const QString run = formatSecondsLeft(m_status->runSecondsLeft());
    if (!job.isEmpty() && !run.isEmpty())
        m_timeLeft->setText(tr("Time left: %1 for this file, %2 in all").arg(job, run));
    else if (!run.isEmpty())
        m_timeLeft->setText(tr("Time left: %1").arg(run));
    else if (!job.isEmpty())
        m_timeLeft->setText(tr("Time left for this file: %1").arg(job));
    else
        m_timeLeft->clear();
    if (m_status->paused())
        m_timeLeft->setText(m_timeLeft->text().isEmpty() ? tr("Paused")
                                                         : tr("Paused. %1").arg(m_timeLeft->text()));
}

void ProgressSheet::raiseSheet(bool run)
{
    m_stop->setEnabled(true);
    m_stopAfter->setEnabled(true);
    {
        const QSignalBlocker quiet(m_pause);
        m_pause->setChecked(false);
        m_pause->setText(tr("Pause"));
    }
    showRunControls(run);
    if (!isVisible())
        show(); // not open(), which would make it window-modal
}

void ProgressSheet::showRunControls(bool run)
{
    for (QWidget *control : {static_cast<QWidget *>(m_pause), static_cast<QWidget *>(m_stopAfter),
                             static_cast<QWidget *>(m_whenDoneLabel), static_cast<QWidget *>(m_whenDone)})
        control->setVisible(run);
    // 500 wide as the window's sheets are; only as high as its content.
    layout()->activate();
    setFixedSize(500, sizeHint().height());
}

void ProgressSheet::lowerSheet()
{
    m_lowering = true;
    hide();
    m_lowering = false;
}

void ProgressSheet::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void ProgressSheet::closeEvent(QCloseEvent *event)
{
    if (m_lowering) {
        QDialog::closeEvent(event);
        return;
    }
    // The window manager's close button on the sheet means the window's: the window asks whether to stop
    // the run and quit. Queued, so that the question is not asked inside this event.
    event->ignore();
    if (QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr)
        QMetaObject::invokeMethod(owner, &QWidget::close, Qt::QueuedConnection);
}

void ProgressSheet::reject()
{
}
