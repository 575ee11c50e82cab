#include "cli/Commands.h"

#include <cstdio>

int encodeCommand(const QStringList &)
{
    std::fputs("tavrix-cli: encode is not available yet\n", stderr);
    return ExitFailure;
}
