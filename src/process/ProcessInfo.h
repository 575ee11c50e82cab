#pragma once

#include <optional>

#include <sys/types.h>

// A process as /proc shows it: enough to find a program's descendants and to know a process again
// later (a reused process id has another start time).
struct ProcessEntry
{
    pid_t pid = 0;
    pid_t parent = 0;
    pid_t group = 0;
    unsigned long long start = 0; // in clock ticks since boot
};

// The living process `pid` (not a zombie), or nothing.
std::optional<ProcessEntry> readProcess(pid_t pid);
