#include "process/ProcessInfo.h"

#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

std::optional<ProcessEntry> readProcess(pid_t pid)
{
    char path[32];
    std::snprintf(path, sizeof path, "/proc/%d/stat", int(pid));
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    char text[1024];
    const ssize_t size = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (size <= 0)
        return std::nullopt;
    text[size] = '\0';
    // "pid (name) state parent group ..." where the name may hold anything, ')' too.
    const char *rest = std::strrchr(text, ')');
    char state = 0;
    int parent = 0;
    int group = 0;
    unsigned long long start = 0;
    // Then 16 fields up to the start time.
    const char *format = " %c %d %d %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %llu";
    if (!rest || std::sscanf(rest + 1, format, &state, &parent, &group, &start) != 4 || state == 'Z')
        return std::nullopt;
    return ProcessEntry{pid, pid_t(parent), pid_t(group), start};
}
