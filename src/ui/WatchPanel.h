#pragma once

#include "model/Preset.h"
#include "watch/WatchedFolders.h"

#include <QDialog>
#include <QHash>
#include <QWidget>

class Panels;
class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

// The watched folders under the job list: each with the settings its files take and whether it is
// watched, paused or cannot be; buttons to add, pause or resume, and remove one, and the choice to convert
// new files as soon as they join the list. Hidden while no folder is watched.
class WatchPanel : public QWidget
{
    Q_OBJECT
public:
    explicit WatchPanel(QWidget *parent = nullptr);

    void setSetup(const WatchSetup &setup);
    // What the watcher says of `folder`: a problem (empty: none), and whether it is watched at all.
    void setState(const QString &folder, const QString &message, bool watching);
    // `count` more files of `folder` joined the list.
    void addTaken(const QString &folder, int count);

    QTreeWidget *folderList() const { return m_folders; }

signals:
    void addRequested();
    void pauseRequested(const QString &folder, bool paused);
    void removeRequested(const QString &folder);
    void convertNewFilesChanged(bool on);

private:
    struct State
    {
        QString message;
        bool watching = true;
        int taken = 0;
    };
    void showStates();
    void updateButtons();
    QString selectedFolder() const;

    WatchSetup m_setup;
    QHash<QString, State> m_states;
    QTreeWidget *m_folders;
    QCheckBox *m_convertNew;
    QPushButton *m_add;
    QPushButton *m_pause;
    QPushButton *m_remove;
};

// Asks for a folder to watch and the settings its files take.
class WatchFolderDialog : public QDialog
{
    Q_OBJECT
public:
    WatchFolderDialog(const QList<Preset> &presets, const WatchSetup &watched, Panels *panels,
                      QWidget *parent = nullptr);

    WatchedFolder folder() const;
    // The videos already in the folder join the list too.
    bool includePresent() const;

private:
    void check();

    WatchSetup m_watched;
    Panels *m_panels;
    QLineEdit *m_path;
    QComboBox *m_settings;
    QCheckBox *m_present;
    QCheckBox *m_poll;
    bool m_network = false; // the folder named lies on a network share
    QLabel *m_problem;
    QDialogButtonBox *m_buttons;
};
