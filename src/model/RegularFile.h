#pragma once

#include <QByteArray>
#include <QString>

#include <fcntl.h>

// A file read whole without ever waiting: opened non-blocking, and read only when what was opened is a
// regular file, so that a pipe or a device put at a name of ours can neither block nor feed us for ever.
struct RegularFileRead
{
    enum class Problem { None, Missing, NotRegular, TooLarge, Unreadable };
    Problem problem = Problem::None;
    QByteArray bytes;
    QString error; // the system's words, for Missing and Unreadable

    bool ok() const { return problem == Problem::None; }
};

enum class Links { Follow, Refuse };

// `name` relative to the folder open as `directory` (AT_FDCWD: the current folder, or an absolute name).
// A file larger than `limit` bytes is not read. Files of /proc, which tell no size, are read to their end
// within the limit.
RegularFileRead readRegularFile(const QByteArray &name, qint64 limit, Links links = Links::Follow,
                                int directory = AT_FDCWD);
