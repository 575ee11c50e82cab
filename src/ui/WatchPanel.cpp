#include "ui/WatchPanel.h"

#include "rules/ShellQuote.h"
#include "ui/Panels.h"
#include "ui/PresetDialogs.h"
#include "watch/FolderWatch.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int PathRole = Qt::UserRole;

} // namespace

WatchPanel::WatchPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("watchPanel"));
    auto *title = new QLabel(tr("Watched Folders"), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);

    m_convertNew = new QCheckBox(tr("Convert new files automatically"), this);
    m_convertNew->setObjectName(QStringLiteral("convertNewFiles"));
    m_convertNew->setToolTip(tr("A new file starts converting as soon as it joins the list. When this is "
                                "off, new files wait in the list for Encoding."));
    connect(m_convertNew, &QCheckBox::toggled, this, &WatchPanel::convertNewFilesChanged);

    m_folders = new QTreeWidget(this);
    m_folders->setObjectName(QStringLiteral("watchedFolders"));
    m_folders->setColumnCount(3);
    m_folders->setHeaderLabels({tr("Folder"), tr("Settings"), tr("State")});
    m_folders->setRootIsDecorated(false);
    m_folders->setUniformRowHeights(true);
    m_folders->setTextElideMode(Qt::ElideMiddle);
    m_folders->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_folders->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_folders->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    m_folders->header()->setStretchLastSection(false);
    connect(m_folders, &QTreeWidget::itemSelectionChanged, this, &WatchPanel::updateButtons);

    m_add = new QPushButton(tr("Watch Folder…"), this);
    m_add->setObjectName(QStringLiteral("watchAdd"));
    m_add->setAutoDefault(false);
    connect(m_add, &QPushButton::clicked, this, &WatchPanel::addRequested);
    m_pause = new QPushButton(tr("Pause"), this);
    m_pause->setObjectName(QStringLiteral("watchPause"));
    m_pause->setAutoDefault(false);
    connect(m_pause, &QPushButton::clicked, this, [this] {
        const QString folder = selectedFolder();
        const int index = m_setup.indexOf(folder);
        if (index >= 0)
            emit pauseRequested(folder, !m_setup.folders[index].paused);
    });
    m_remove = new QPushButton(tr("Stop Watching"), this);
    m_remove->setObjectName(QStringLiteral("watchRemove"));
    m_remove->setToolTip(tr("The folder is no longer watched. Its files and the jobs already in the list "
                            "stay as they are."));
    m_remove->setAutoDefault(false);
    connect(m_remove, &QPushButton::clicked, this, [this] {
        const QString folder = selectedFolder();
        if (!folder.isEmpty())
            emit removeRequested(folder);
    });

    auto *top = new QHBoxLayout;
    top->addWidget(title);
    top->addStretch(1);
    top->addWidget(m_convertNew);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_add);
    buttons->addStretch(1);
    buttons->addWidget(m_pause);
    buttons->addWidget(m_remove);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_folders);
    layout->addLayout(buttons);
    setSetup({});
}

void WatchPanel::setSetup(const WatchSetup &setup)
{
    const QString selected = selectedFolder();
    m_setup = setup;
    {
        const QSignalBlocker blocker(m_convertNew);
        m_convertNew->setChecked(setup.convertNewFiles);
    }
    m_folders->clear();
    for (const WatchedFolder &folder : setup.folders) {
        auto *item = new QTreeWidgetItem(m_folders);
        item->setText(0, printableText(QDir::toNativeSeparators(folder.path)));
        item->setToolTip(0, item->text(0));
        item->setData(0, PathRole, folder.path);
        item->setText(1, folder.preset.isEmpty() ? tr("Settings for new files") : folder.preset);
        item->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
        if (folder.path == selected)
            item->setSelected(true);
    }
    if (!m_folders->selectedItems().isEmpty())
        m_folders->setCurrentItem(m_folders->selectedItems().first());
    else if (m_folders->topLevelItemCount() > 0)
        m_folders->setCurrentItem(m_folders->topLevelItem(0));
    // Room for three rows; more scroll.
    const int row =
        m_folders->sizeHintForRow(0) > 0 ? m_folders->sizeHintForRow(0) : fontMetrics().height() + 6;
    m_folders->setFixedHeight(m_folders->header()->sizeHint().height() + 3 * row +
                              2 * m_folders->frameWidth());
    setVisible(!setup.folders.isEmpty());
    showStates();
    updateButtons();
}

void WatchPanel::setState(const QString &folder, const QString &message, bool watching)
{
    State &state = m_states[folder];
    state.message = message;
    state.watching = watching;
    showStates();
}

void WatchPanel::addTaken(const QString &folder, int count)
{
    m_states[folder].taken += count;
    showStates();
}

void WatchPanel::showStates()
{
    for (int i = 0; i < m_folders->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_folders->topLevelItem(i);
        const QString path = item->data(0, PathRole).toString();
        const int index = m_setup.indexOf(path);
        const State state = m_states.value(path);
        QString text;
        bool problem = false;
        if (index >= 0 && m_setup.folders[index].paused) {
            text = tr("Paused");
        } else if (!state.watching) {
            text = state.message;
            problem = true;
        } else {
            text = state.taken > 0 ? tr("Watching · %n new file(s) added", nullptr, state.taken)
                                   : tr("Watching");
            if (index >= 0 && m_setup.folders[index].pollSeconds > 0)
                text += QStringLiteral(" · ") + tr("every %1 s").arg(m_setup.folders[index].pollSeconds);
            if (!state.message.isEmpty()) {
                text += QStringLiteral(" · ") + state.message;
                problem = true;
            }
        }
        item->setText(2, text);
        item->setToolTip(2, text);
        item->setIcon(2, problem ? style()->standardIcon(QStyle::SP_MessageBoxWarning) : QIcon());
        QFont font = item->font(0);
        font.setItalic(index >= 0 && m_setup.folders[index].paused);
        for (int column = 0; column < 3; ++column)
            item->setFont(column, font);
    }
}

QString WatchPanel::selectedFolder() const
{
    const QTreeWidgetItem *item = m_folders->currentItem();
    return item ? item->data(0, PathRole).toString() : QString();
}

void WatchPanel::updateButtons()
{
    const int index = m_setup.indexOf(selectedFolder());
    m_pause->setEnabled(index >= 0);
    m_remove->setEnabled(index >= 0);
    m_pause->setText(index >= 0 && m_setup.folders[index].paused ? tr("Resume") : tr("Pause"));
}

WatchFolderDialog::WatchFolderDialog(const QList<Preset> &presets, const WatchSetup &watched, Panels *panels,
                                     QWidget *parent)
    : QDialog(parent), m_watched(watched), m_panels(panels)
{
    setObjectName(QStringLiteral("watchFolderDialog"));
    setWindowTitle(tr("Watch Folder"));

    auto *intro = new QLabel(tr("Video files that appear in the folder, or in folders inside it, join the "
                                "job list once they are complete. A file is never taken twice."),
                             this);
    intro->setWordWrap(true);

    m_path = new QLineEdit(this);
    m_path->setObjectName(QStringLiteral("watchPath"));
    m_path->setPlaceholderText(tr("The folder to watch"));
    auto *choose = new QToolButton(this);
    choose->setObjectName(QStringLiteral("watchChoose"));
    choose->setText(tr("Choose…"));
    connect(choose, &QToolButton::clicked, this, [this] {
        const QString folder = m_panels->openDirectory(this, tr("Watch Folder"), m_path->text());
        if (!folder.isEmpty())
            m_path->setText(QDir::toNativeSeparators(folder));
    });
    auto *pathRow = new QHBoxLayout;
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(choose);

    m_settings = new QComboBox(this);
    m_settings->setObjectName(QStringLiteral("watchSettings"));
    PresetDialogs::fillPicker(m_settings, presets, {});
    m_settings->setItemText(0, tr("Settings for new files"));

    m_present = new QCheckBox(tr("Also add the videos already in the folder"), this);
    m_present->setObjectName(QStringLiteral("watchIncludePresent"));
    m_poll = new QCheckBox(tr("Look through it every 30 seconds (a network share)"), this);
    m_poll->setObjectName(QStringLiteral("watchPoll"));
    m_poll->setToolTip(tr("Files that other computers write into a network share are not reported to this "
                          "one: the folder is looked through instead. Ticked by itself for a network "
                          "share."));

    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("watchProblem"));
    m_problem->setStyleSheet(QStringLiteral("color: #b26a00;"));
    m_problem->setWordWrap(true);

    auto *form = new QFormLayout;
    form->addRow(tr("Folder"), pathRow);
    form->addRow(tr("Settings"), m_settings);
    form->addRow(QString(), m_present);
    form->addRow(QString(), m_poll);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttons->button(QDialogButtonBox::Ok)->setText(tr("Watch"));
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(m_problem);
    layout->addWidget(m_buttons);
    connect(m_path, &QLineEdit::textChanged, this, &WatchFolderDialog::check);
    check();
    resize(520, sizeHint().height());
}

WatchedFolder WatchFolderDialog::folder() const
{
    const QFileInfo info(QDir::fromNativeSeparators(m_path->text().trimmed()));
    return {QDir::cleanPath(info.canonicalFilePath().isEmpty() ? info.absoluteFilePath()
                                                               : info.canonicalFilePath()),
            m_settings->currentData().toString(), false, m_poll->isChecked() ? 30 : 0};
}

bool WatchFolderDialog::includePresent() const
{
    return m_present->isChecked();
}

void WatchFolderDialog::check()
{
    const QString text = m_path->text().trimmed();
    const QString path = text.isEmpty() ? QString() : folder().path;
    QString problem;
    if (!text.isEmpty()) {
        const QFileInfo info(QDir::fromNativeSeparators(text));
        if (!info.isDir())
            problem = tr("There is no folder there.");
        else if (m_watched.indexOf(path) >= 0)
            problem = tr("This folder is watched already.");
        else {
            for (const WatchedFolder &other : m_watched.folders) {
                if (path.startsWith(other.path + QLatin1Char('/')))
                    problem = tr("This folder lies in “%1”, which is watched already.")
                                  .arg(printableText(other.path));
                else if (other.path.startsWith(path + QLatin1Char('/')))
                    problem = tr("“%1”, inside this folder, is watched already; stop watching it first.")
                                  .arg(printableText(other.path));
            }
        }
    }
    m_problem->setText(problem);
    m_problem->setVisible(!problem.isEmpty());
    // A network share is looked through: nothing tells of what other machines write there.
    // The user's own choice stands until the folder named moves to another kind of file system.
    const bool network = problem.isEmpty() && !text.isEmpty() && FolderWatch::isNetworkFolder(path);
    if (network != m_network)
        m_poll->setChecked(network);
    m_network = network;
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(!text.isEmpty() && problem.isEmpty());
}
