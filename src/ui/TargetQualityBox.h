#pragma once

#include <QWidget>

class QComboBox;
class QDoubleSpinBox;

// The quality a target asks for: one of the named levels, or an SSIM typed in. The two show the same
// target: choosing a level sets the figure, a figure of a level selects it, any other reads "Custom".
// Values are in ten-thousandths of SSIM (9850: 0.985).
class TargetQualityBox : public QWidget
{
    Q_OBJECT
public:
    explicit TargetQualityBox(QWidget *parent = nullptr);

    int value() const;
    void setValue(int target);

signals:
    void valueChanged(int target);

private:
    void showLevelOf(int target);

    QComboBox *m_level;
    QDoubleSpinBox *m_ssim;
};
