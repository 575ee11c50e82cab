#include "model/RegularFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

RegularFileRead readRegularFile(const QByteArray &name, qint64 limit, Links links, int directory)
{
    RegularFileRead out;
    const int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | (links == Links::Refuse ? O_NOFOLLOW : 0);
    const int fd = ::openat(directory, name.constData(), flags);
    if (fd < 0) {
        out.problem = errno == ENOENT || errno == ENOTDIR ? RegularFileRead::Problem::Missing
                      : errno == ELOOP                    ? RegularFileRead::Problem::NotRegular
                                                          : RegularFileRead::Problem::Unreadable;
        out.error = QString::fromLocal8Bit(std::strerror(errno));
        return out;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        out.problem = RegularFileRead::Problem::NotRegular;
    } else if (info.st_size > limit) {
        out.problem = RegularFileRead::Problem::TooLarge;
    } else {
        out.bytes.resize(qsizetype(std::min<qint64>(limit, std::max<qint64>(info.st_size, 4096))));
        qsizetype size = 0;
        ssize_t got = 0;
        while (true) {
            if (size == out.bytes.size()) {
                if (size >= limit)
                    break;
                out.bytes.resize(qsizetype(std::min<qint64>(limit, 2 * qint64(size))));
            }
            got = ::read(fd, out.bytes.data() + size, size_t(out.bytes.size() - size));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            size += got;
        }
        if (got < 0) {
            out.problem = RegularFileRead::Problem::Unreadable;
            out.error = QString::fromLocal8Bit(std::strerror(errno));
            out.bytes.clear();
        } else {
            out.bytes.resize(size);
        }
    }
    ::close(fd);
    return out;
}
