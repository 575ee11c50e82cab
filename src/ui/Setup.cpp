#include "ui/Setup.h"

Setup::Setup(QWidget *parent) : QDialog(parent)
{
    setWindowModality(Qt::WindowModal);
}
