#pragma once

#include <QDialog>
#include <QImage>

// The crop preview: the job's frame with the crop outlined, scaled to the window, and "Ok".
class ImageView : public QDialog
{
    Q_OBJECT
public:
    explicit ImageView(const QImage &image, QWidget *parent = nullptr);

    const QImage &image() const { return m_image; }

private:
    QImage m_image;
};
