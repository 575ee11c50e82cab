// Reads back the file given as second argument with the tools of the resource directory given as first,
// as a run does, and prints how it went. Tests kill it while the read-back helper works.
#include "encoding/ReadBack.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const ToolRunner tools(QString::fromLocal8Bit(argv[1]));
    const ReadBackFacts facts =
        readBack(tools, QString::fromLocal8Bit(argv[2]), QStringLiteral("output"), {});
    std::printf("%d %s\n", int(facts.kind), facts.problem.toString().toUtf8().constData());
    return 0;
}
