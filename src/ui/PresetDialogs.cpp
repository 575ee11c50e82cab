#include "ui/PresetDialogs.h"

#include "store/PresetLibrary.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QStandardItemModel>

namespace PresetDialogs {

void confirmParameters(QWidget *parent, const Preset &preset, std::function<void()> use)
{
    if (preset.origin == Preset::Origin::BuiltIn || preset.settings.otherParam.trimmed().isEmpty()) {
        use();
        return;
    }
    auto *box = new QMessageBox(
        QMessageBox::Question, QCoreApplication::translate("PresetDialogs", "Extra ffmpeg parameters"),
        QCoreApplication::translate("PresetDialogs", "The preset “%1” adds these ffmpeg parameters to "
                                                     "every job it is used for:")
            .arg(preset.name),
        QMessageBox::Ok | QMessageBox::Cancel, parent);
    box->setObjectName(QStringLiteral("presetParameters"));
    box->setInformativeText(preset.settings.otherParam);
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QMessageBox::finished, box, [box, use = std::move(use)](int) {
        if (box->clickedButton() == box->button(QMessageBox::Ok))
            use();
    });
    box->open();
}

void saveAs(QWidget *parent, const PresetLibrary &library, const JobSettings &settings,
            std::function<void(const QString &name)> saved)
{
    auto *ask = new QInputDialog(parent);
    ask->setObjectName(QStringLiteral("presetNameDialog"));
    ask->setWindowTitle(QCoreApplication::translate("PresetDialogs", "Save as Preset"));
    ask->setLabelText(QCoreApplication::translate("PresetDialogs", "Name of the new preset:"));
    ask->setWindowModality(Qt::WindowModal);
    ask->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(ask, &QInputDialog::textValueSelected, parent,
                     [parent, library, settings, saved = std::move(saved)](const QString &typed) {
                         Preset preset;
                         preset.name = cleanPresetName(typed);
                         preset.settings = settings;
                         preset.settings.preset = preset.name;
                         QString error;
                         if (library.store().save(preset, library.builtInNames(), false, error)) {
                             saved(preset.name);
                             return;
                         }
                         auto *box =
                             new QMessageBox(QMessageBox::Warning,
                                             QCoreApplication::translate("PresetDialogs", "Preset not saved"),
                                             error, QMessageBox::Ok, parent);
                         box->setObjectName(QStringLiteral("presetNotSaved"));
                         box->setWindowModality(Qt::WindowModal);
                         box->setAttribute(Qt::WA_DeleteOnClose);
                         box->open();
                     });
    ask->open();
}

void fillPicker(QComboBox *picker, const QList<Preset> &presets, const QString &current)
{
    const QSignalBlocker quiet(picker);
    picker->clear();
    picker->addItem(QCoreApplication::translate("PresetDialogs", "Custom"), QString());
    picker->setItemData(0,
                        QCoreApplication::translate("PresetDialogs", "The settings as they are, no preset"),
                        Qt::ToolTipRole);
    auto *model = qobject_cast<QStandardItemModel *>(picker->model());
    for (const Preset &preset : presets) {
        picker->addItem(preset.name, preset.name);
        const int index = picker->count() - 1;
        picker->setItemData(index, preset.usable() ? preset.description : preset.problem, Qt::ToolTipRole);
        if (!preset.usable() && model)
            model->item(index)->setEnabled(false);
    }
    const Preset *found = findPreset(presets, current);
    picker->setCurrentIndex(found ? int(found - presets.constData()) + 1 : 0);
}

} // namespace PresetDialogs
