#pragma once

#include <QDialog>

// The settings sheet: the defaults that newly imported jobs copy, written to the store on "Ok".
class Setup : public QDialog
{
    Q_OBJECT
public:
    explicit Setup(QWidget *parent = nullptr);
};
