#include "cli/Commands.h"

#include <cstdio>

int probeCommand(const QStringList &)
{
    std::fputs("tavrix-cli: probe is not available yet\n", stderr);
    return ExitFailure;
}

int commandCommand(const QStringList &)
{
    std::fputs("tavrix-cli: command is not available yet\n", stderr);
    return ExitFailure;
}
