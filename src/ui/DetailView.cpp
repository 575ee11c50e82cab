#include "ui/DetailView.h"

DetailView::DetailView(MediaVideo::Ptr job, QWidget *parent) : QDialog(parent), m_job(std::move(job))
{
    setWindowModality(Qt::WindowModal);
}
