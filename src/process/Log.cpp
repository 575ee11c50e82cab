#include "process/Log.h"

#include <atomic>

Q_LOGGING_CATEGORY(lcTavrix, "org.tavrix.Tavrix.Tavrix", QtInfoMsg)

namespace {
std::atomic<std::FILE *> diagnosticStream{stdout};
}

void setDiagnosticStream(std::FILE *stream)
{
    diagnosticStream.store(stream);
}

void writeDiagnostic(const QString &line)
{
    std::FILE *stream = diagnosticStream.load();
    if (!stream)
        return;
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
}
