#pragma once

#include "model/MediaVideo.h"

#include <QDialog>

// The editor of one job: works on copies of the job's settings and writes them back on "Ok".
class DetailView : public QDialog
{
    Q_OBJECT
public:
    explicit DetailView(MediaVideo::Ptr job, QWidget *parent = nullptr);

    const MediaVideo::Ptr &job() const { return m_job; }

private:
    MediaVideo::Ptr m_job;
};
