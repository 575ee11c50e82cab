// Asks mediainfo from the resource directory given as first argument about the file given as second,
// as a probe does, and prints the answer. Tests kill it while the tool runs.
#include "process/ToolRunner.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const ToolRunner tools(QString::fromLocal8Bit(argv[1]));
    const QString answer = tools.mediaInfoText(QString::fromLocal8Bit(argv[2]), QStringLiteral("General"),
                                               QStringLiteral("%Duration%"));
    std::puts(answer.toUtf8().constData());
    return 0;
}
