#include "ui/ImageView.h"

#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Paints the picture as large as it fits, keeping its proportions.
class Picture : public QWidget
{
public:
    Picture(const QImage &image, QWidget *parent) : QWidget(parent), m_image(image)
    {
        setMinimumSize(100, 60);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }

    QSize sizeHint() const override
    {
        if (m_image.isNull() || m_image.width() == 0)
            return {800, 450};
        return {800, std::max(60, 800 * m_image.height() / m_image.width())};
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (m_image.isNull())
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QSize scaled = m_image.size().scaled(size(), Qt::KeepAspectRatio);
        const QRect target(QPoint((width() - scaled.width()) / 2, (height() - scaled.height()) / 2), scaled);
        painter.drawImage(target, m_image);
    }

private:
    QImage m_image;
};

} // namespace

ImageView::ImageView(const QImage &image, QWidget *parent) : QDialog(parent), m_image(image)
{
    setWindowTitle(tr("Preview"));
    setWindowModality(Qt::WindowModal);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    auto *picture = new Picture(m_image, this);
    picture->setObjectName(QStringLiteral("picture"));
    layout->addWidget(picture, 1);
    auto *ok = new QPushButton(tr("Ok"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
}
