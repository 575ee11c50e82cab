#include "encoding/BatchEncoder.h"

BatchEncoder::BatchEncoder(RunStatus *status, ToolRunner tools, QObject *parent)
    : QObject(parent), m_status(status), m_tools(std::move(tools))
{
}

BatchEncoder::~BatchEncoder()
{
    stop();
}

bool BatchEncoder::start(const QList<MediaVideo::Ptr> &jobs)
{
    Q_UNUSED(jobs);
    return false; // the serial run comes with the batch encoder
}

void BatchEncoder::stop() {}
