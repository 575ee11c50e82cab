#include "TestSupport.h"

#include "model/Preferences.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <utility>

namespace TestSupport {

void isolateSettings()
{
    QStandardPaths::setTestModeEnabled(true);
    // Test mode alone puts every test process of every checkout on this machine into one shared
    // ~/.qttest store, where parallel runs clear each other's values: each process gets its own.
    static QTemporaryDir store(QDir::tempPath() + QStringLiteral("/tavrix-test-settings-XXXXXX"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, store.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, store.path());
    Preferences::clear();
}

QString settingsHome()
{
    return QDir::cleanPath(QFileInfo(Preferences::storeLocation()).absolutePath() + QStringLiteral("/.."));
}

QString realResourceDir()
{
    return QStringLiteral(TAVRIX_RESOURCE_DIR_FOR_TESTS);
}

QString realTool(const QString &name)
{
    return QDir(realResourceDir()).filePath(name);
}

QString fakeToolPath()
{
    return QStringLiteral(FAKE_TOOL_PATH);
}

QString toolParentPath()
{
    return QStringLiteral(TOOL_PARENT_PATH);
}

QList<Process> livingProcesses()
{
    QList<Process> list;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const QString dir = QStringLiteral("/proc/") + entry;
        const QByteArray stat = readFile(dir + QStringLiteral("/stat"));
        // pid (comm) state ppid pgrp ...; comm may hold blanks, so read after the last ')'.
        const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        if (entry.toLongLong() <= 0 || fields.size() < 3 || fields[0] == "Z")
            continue;
        list.append({entry.toLongLong(), fields[0].at(0), fields[2].toLongLong(),
                     readFile(dir + QStringLiteral("/comm")).trimmed(),
                     readFile(dir + QStringLiteral("/cmdline")),
                     QFileInfo(dir + QStringLiteral("/cwd")).symLinkTarget()});
    }
    return list;
}

int livingMembers(qint64 group)
{
    const QList<Process> all = livingProcesses();
    return std::count_if(all.cbegin(), all.cend(), [group](const Process &p) { return p.group == group; });
}

int survivors(const QString &groupsFile)
{
    int living = 0;
    for (const QByteArray &line : readFile(groupsFile).split('\n'))
        living += line.isEmpty() ? 0 : livingMembers(line.split(' ').value(1).toLongLong());
    return living;
}

ResourceDir::ResourceDir(Entry ffmpeg, Entry mediainfo)
{
    const auto place = [this](const QString &name, Entry entry) {
        const QString target = entry == Entry::Fake ? fakeToolPath() : realTool(name);
        if (entry != Entry::Missing)
            QFile::link(QFileInfo(target).canonicalFilePath(), m_dir.filePath(name));
    };
    place(QStringLiteral("ffmpeg"), ffmpeg);
    place(QStringLiteral("mediainfo"), mediainfo);
}

QProcessEnvironment environmentWith(const QStringList &entries)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &entry : entries)
        env.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
    return env;
}

int run(const QString &program, const QStringList &args, QByteArray *out, QByteArray *err,
        const QStringList &extraEnv, int timeoutMs)
{
    QProcess process;
    process.setProcessEnvironment(environmentWith(extraEnv));
    process.start(program, args);
    if (!process.waitForStarted(-1) || !process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(-1);
        return -1;
    }
    if (out)
        *out = process.readAllStandardOutput();
    if (err)
        *err = process.readAllStandardError();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

bool generateClip(const QString &path, const QStringList &inputArgs)
{
    QByteArray err;
    QStringList args{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                     QStringLiteral("-nostdin"), QStringLiteral("-y")};
    args << inputArgs << path;
    const int code = run(realTool(QStringLiteral("ffmpeg")), args, nullptr, &err);
    if (code != 0) {
        qWarning("clip generation failed for %s: %s", qPrintable(path), err.constData());
        return false;
    }
    return true;
}

bool generateClip(const QString &path, const QString &inputArgs)
{
    return generateClip(path, (inputArgs + QStringLiteral(" -c:v libx264 -preset ultrafast -pix_fmt yuv420p"))
                                  .split(QLatin1Char(' ')));
}

bool generateSimpleClip(const QString &path, double seconds)
{
    const QString duration = QString::number(seconds);
    return generateClip(path,
                        QStringLiteral("-f lavfi -i testsrc=size=320x240:rate=25:duration=%1 -f lavfi -i "
                                       "sine=frequency=440:duration=%1 -c:a aac -shortest")
                            .arg(duration));
}

bool generateTenBitClip(const QString &path, const QString &kind)
{
    QString params = QStringLiteral("log-level=error");
    QStringList tags;
    if (kind == QLatin1String("hdr10")) {
        params += QStringLiteral(":colorprim=bt2020:transfer=smpte2084:colormatrix=bt2020nc:master-display="
                                 "G(13250,34500)B(7500,3000)R(34000,16000)WP(15635,16450)L(10000000,50):"
                                 "max-cll=1000,400:hdr10-opt=1:repeat-headers=1");
        tags =
            QStringList{"-color_primaries", "bt2020", "-color_trc", "smpte2084", "-colorspace", "bt2020nc"};
    } else if (kind == QLatin1String("hlg")) {
        params += QStringLiteral(":colorprim=bt2020:transfer=arib-std-b67:colormatrix=bt2020nc");
        tags = QStringList{"-color_primaries", "bt2020",      "-color_trc",
                           "arib-std-b67",     "-colorspace", "bt2020nc"};
    }
    return generateClip(path, QStringList{"-f", "lavfi", "-i", "testsrc2=s=128x72:d=0.4", "-pix_fmt",
                                          "yuv420p10le", "-c:v", "libx265", "-x265-params", params} +
                                  tags);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QStringList entries(const QString &dir)
{
    QStringList names =
        QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

ScopedEnv::ScopedEnv(std::initializer_list<std::pair<const char *, QByteArray>> values)
{
    for (const auto &[name, value] : values) {
        m_old.append({name, qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray()});
        value.isEmpty() ? qunsetenv(name) : qputenv(name, value);
    }
}

ScopedEnv::~ScopedEnv()
{
    for (const auto &[name, value] : std::as_const(m_old))
        value.isNull() ? qunsetenv(name) : qputenv(name, value);
}

WorkingDir::WorkingDir() : m_old(QDir::currentPath())
{
    QDir::setCurrent(m_dir.path());
}

WorkingDir::~WorkingDir()
{
    QDir::setCurrent(m_old);
}

} // namespace TestSupport
