#pragma once

#include <QStringList>

// The subcommands of tavrix-cli. Each takes the full argument list with the subcommand removed
// (arguments[0] stays the program name) and returns the exit status.
int probeCommand(const QStringList &arguments);
int commandCommand(const QStringList &arguments);
int defaultsCommand(const QStringList &arguments);
int encodeCommand(const QStringList &arguments);
int queueCommand(const QStringList &arguments);
int encodersCommand(const QStringList &arguments);
int presetsCommand(const QStringList &arguments);
int compareCommand(const QStringList &arguments);
int watchCommand(const QStringList &arguments);

// Exit statuses.
inline constexpr int ExitOk = 0;
inline constexpr int ExitFailure = 1;
inline constexpr int ExitUsage = 2;
inline constexpr int ExitInterrupted = 130;
