#pragma once

#include <QStringList>
#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QGridLayout;

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

signals:
    void currentIndexChanged(int index);

private:
    QStringList m_entries;
    QButtonGroup *m_group;
    int m_current = -1;
};

// Marks the picker entries whose encoder the installed ffmpeg lacks (the entry texts are encoder names).
void markUnavailableEncoders(QComboBox *picker);
void markUnavailableEncoders(SegmentedPicker *picker);
