#include "ui/TargetQualityBox.h"

#include "model/Vocabulary.h"
#include "rules/CrfSearch.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QSignalBlocker>

#include <cmath>

TargetQualityBox::TargetQualityBox(QWidget *parent)
    : QWidget(parent), m_level(new QComboBox(this)), m_ssim(new QDoubleSpinBox(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_level->setObjectName(QStringLiteral("targetQualityPicker"));
    for (const QualityLevel &level : qualityLevels())
        m_level->addItem(QCoreApplication::translate("QualityLevel", level.name),
                         int(std::lround(level.ssim * 10000)));
    m_level->addItem(tr("Custom"), 0);
    m_level->setToolTip(
        tr("Each file gets the constant quality that keeps this much of its picture, found by "
           "encoding a few short samples first: Visually lossless cannot be told from the "
           "source, High hardly, Good shows a little softness in fine detail, Small trades "
           "detail for size"));
    m_ssim->setObjectName(QStringLiteral("targetSsimBox"));
    m_ssim->setDecimals(4);
    m_ssim->setRange(Lists::minQualityTarget / 10000.0, Lists::maxQualityTarget / 10000.0);
    m_ssim->setSingleStep(0.001);
    m_ssim->setPrefix(QStringLiteral("SSIM "));
    m_ssim->setToolTip(tr("The SSIM the output must keep against its source, from 0.9 to 0.9999 (1: the same "
                          "picture)"));
    layout->addWidget(m_level);
    layout->addWidget(m_ssim);
    setValue(Lists::defaultQualityTarget);

    connect(m_level, &QComboBox::activated, this, [this](int index) {
        const int target = m_level->itemData(index).toInt();
        if (target <= 0)
            return m_ssim->setFocus();
        {
            const QSignalBlocker block(m_ssim);
            m_ssim->setValue(target / 10000.0);
        }
        emit valueChanged(target);
    });
    connect(m_ssim, &QDoubleSpinBox::valueChanged, this, [this] {
        showLevelOf(value());
        emit valueChanged(value());
    });
}

int TargetQualityBox::value() const
{
    return int(std::lround(m_ssim->value() * 10000));
}

void TargetQualityBox::setValue(int target)
{
    {
        const QSignalBlocker block(m_ssim);
        m_ssim->setValue(target / 10000.0);
    }
    showLevelOf(value());
}

void TargetQualityBox::showLevelOf(int target)
{
    const int index = m_level->findData(target);
    m_level->setCurrentIndex(index >= 0 ? index : m_level->count() - 1);
}
