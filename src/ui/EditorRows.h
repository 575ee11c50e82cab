#pragma once

#include "model/MediaStream.h"
#include "rules/DraftProblems.h"

#include <QCoreApplication>
#include <QObject>
#include <QStringList>

#include <functional>

class MediaVideo;
class QComboBox;
class QFrame;
class QHBoxLayout;
class QLabel;
class QListWidget;
class QToolButton;
class QVBoxLayout;
class QWidget;
class SegmentedPicker;

// The pieces the job editor's rows are made of, and the base of the parts that each own a group of rows.
namespace EditorRows {

inline constexpr int LabelWidth = 100;
inline constexpr int ListPickerWidth = 200;
inline constexpr int ContentWidth = 800;
// What a row offers its controls after its label.
inline constexpr int RowWidth = ContentWidth - LabelWidth - 12;

// Editing events go to standard output, one line each, for whoever runs the application from a terminal.
void printLine(const QString &line);
void printEditing(bool begins, const QString &text);
// Calls back when `field` gains (true) or loses (false) the keyboard focus: editing begins or ends.
void watchFocus(QWidget *field, std::function<void(bool)> onEditing);

QLabel *groupHeader(const QString &title, QWidget *parent);
QFrame *divider(QWidget *parent);
// A label of the row labels' width (aligned afterwards with alignRowLabels) or of its own `width`.
QLabel *rowLabel(const QString &text, QWidget *parent, int width = LabelWidth);
// A row: the label, then the controls the caller adds.
QHBoxLayout *addRow(QVBoxLayout *group, const QString &label, QWidget *parent);
// A note under the rows, indented to the fields and hidden until there is something to say; while hidden
// it takes no room.
QLabel *addNote(QVBoxLayout *group, const QString &name, QWidget *parent);
// Row labels share one width: 100 points, or what the longest one needs in the user's language; the
// notes are indented to match.
void alignRowLabels(QWidget *content);

QComboBox *listPicker(const QStringList &entries, const QString &name, QWidget *parent);
// A picker over the probed stream lines, which can be long: as wide as the row, the full line in a tip.
QComboBox *trackPicker(const QStringList &entries, const QString &name, QWidget *parent);
// The source's tracks of one kind as a list of check boxes, each readable ("1 · English · AC-3 5.1"),
// with the probed line as its tip. A few rows are shown; more scroll.
QListWidget *trackChecklist(const QStringList &labels, const QStringList &lines, const QString &name,
                            QWidget *parent);
// The readable labels of a job's tracks of one kind, from their probed lines: the stream descriptions
// when the probe made them, else the lines themselves.
QStringList trackLabels(const MediaVideo &job, MediaStream::Kind kind, const QStringList &lines);
// The numbers (from 1) of the checked rows.
QList<int> checkedRows(const QListWidget *list);
// Ticks the rows of these numbers (from 1) and no other; a disabled list holds no tracks.
void checkRows(QListWidget *list, const QList<int> &numbers);
// A wrapping row of buttons that fits beside the row label of an 800 points wide form.
SegmentedPicker *segmentedPicker(const QStringList &entries, const QString &name, QWidget *parent);
// The floppy disk button; the save icon where the font cannot draw the disk.
QToolButton *saveButton(const QString &name, const QString &tip, QWidget *parent);
int pickerIndex(const QComboBox *picker);

} // namespace EditorRows

// A group of the editor's rows bound to the draft job the editor works on. Each change in a row is
// written to the draft at once and told with edited(); the editor then lets every part bring its rows
// in line with the draft (refresh()).
class EditorPart : public QObject
{
    Q_OBJECT
public:
    EditorPart(MediaVideo &draft, QWidget *content);

    // Shows the draft's values. The editor holds back the widgets' signals meanwhile.
    virtual void load() = 0;
    // After any change of the draft: enables what applies, and makes the values that follow others
    // follow them (in the draft too). Writes no more than that, and tells nothing.
    virtual void refresh() {}
    // Shows a problem beside its row and focuses the row; false when the problem is not this part's.
    virtual bool showProblem(const DraftProblem &) { return false; }
    virtual void clearProblems() {}

signals:
    void edited();

protected:
    MediaVideo &m_draft;
    QWidget *m_content;
};
