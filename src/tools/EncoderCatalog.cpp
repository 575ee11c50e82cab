#include "tools/EncoderCatalog.h"

#include "model/MediaVideo.h"

EncoderCatalog &EncoderCatalog::instance()
{
    static EncoderCatalog catalog;
    return catalog;
}

QSet<QString> EncoderCatalog::parseEncoderList(const QString &)
{
    return {};
}

bool EncoderCatalog::refresh(const ToolRunner &)
{
    return false;
}

void EncoderCatalog::setAvailable(const QSet<QString> &) {}

bool EncoderCatalog::isKnown() const
{
    return false;
}

bool EncoderCatalog::isAvailable(const QString &) const
{
    return true;
}

QString EncoderCatalog::jobWarning(const MediaVideo &) const
{
    return {};
}
