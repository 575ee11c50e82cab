#include "cli/Commands.h"

#include <cstdio>

int defaultsCommand(const QStringList &)
{
    std::fputs("tavrix-cli: defaults is not available yet\n", stderr);
    return ExitFailure;
}
