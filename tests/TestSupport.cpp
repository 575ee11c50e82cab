#include "TestSupport.h"

#include "model/Preferences.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QSignalSpy>
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

QByteArray pgsSubtitle(QSize canvas, QRect object, double start, double end)
{
    const auto be16 = [](QByteArray &b, int v) { b.append(char(v >> 8)).append(char(v & 0xff)); };
    QByteArray out;
    const auto segment = [&](double seconds, int type, const QByteArray &data) {
        const quint32 pts = quint32(seconds * 90000);
        out += "PG";
        for (int shift : {24, 16, 8, 0})
            out.append(char((pts >> shift) & 0xff));
        out.append(4, '\0'); // decoding time stamp
        out.append(char(type));
        be16(out, int(data.size()));
        out += data;
    };
    const auto composition = [&](double seconds, int number, bool shown) {
        QByteArray pcs;
        be16(pcs, canvas.width());
        be16(pcs, canvas.height());
        pcs.append(char(0x10));                // frame rate
        be16(pcs, number);                     // composition number
        pcs.append(char(shown ? 0x80 : 0x00)); // epoch start, or normal
        pcs.append(char(0)).append(char(0));   // no palette update, palette 0
        pcs.append(char(shown ? 1 : 0));       // objects
        if (shown) {
            be16(pcs, 0);                        // object 0
            pcs.append(char(0)).append(char(0)); // window 0, not cropped
            be16(pcs, object.x());
            be16(pcs, object.y());
        }
        segment(seconds, 0x16, pcs);
        QByteArray wds(1, char(1));
        wds.append(char(0));
        be16(wds, object.x());
        be16(wds, object.y());
        be16(wds, object.width());
        be16(wds, object.height());
        segment(seconds, 0x17, wds);
    };
    composition(start, 0, true);
    // Entry 1: white (Y 235, Cr 128, Cb 128), opaque.
    segment(start, 0x14,
            QByteArray::fromHex("0000"
                                "01eb8080ff"));
    QByteArray rle;
    for (int y = 0; y < object.height(); ++y) {
        const int run = object.width();
        rle.append(char(0));
        if (run < 64) {
            rle.append(char(0x80 | run));
        } else {
            rle.append(char(0xc0 | (run >> 8)));
            rle.append(char(run & 0xff));
        }
        rle.append(char(1));
        rle.append(char(0)).append(char(0)); // end of line
    }
    QByteArray ods;
    be16(ods, 0);                           // object 0
    ods.append(char(0)).append(char(0xc0)); // version, first and last fragment
    const int length = int(rle.size()) + 4;
    ods.append(char(length >> 16)).append(char((length >> 8) & 0xff)).append(char(length & 0xff));
    be16(ods, object.width());
    be16(ods, object.height());
    ods += rle;
    segment(start, 0x15, ods);
    segment(start, 0x80, {});
    composition(end, 1, false);
    segment(end, 0x80, {});
    return out;
}

bool generateFilm(const QString &path)
{
    QTemporaryDir work;
    // Large enough to be seen when it is drawn on the small picture.
    const QByteArray srt = "1\n00:00:00,200 --> 00:00:01,800\n<font size=\"72\">HELLO</font>\n\n";
    const QByteArray chapters = ";FFMETADATA1\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=1000\ntitle=One\n"
                                "[CHAPTER]\nTIMEBASE=1/1000\nSTART=1000\nEND=2000\ntitle=Two\n";
    if (!work.isValid() || !writeFile(work.filePath("en.srt"), srt) ||
        !writeFile(work.filePath("fr.srt"), srt) ||
        !writeFile(work.filePath("de.sup"), pgsSubtitle({160, 90}, {48, 20, 64, 16}, 0.2, 1.8)) ||
        !writeFile(work.filePath("chapters.txt"), chapters))
        return false;
    // Words without blanks, so one text split at blanks; the files come after.
    const QStringList words =
        QStringLiteral(
            "-f lavfi -i testsrc2=size=160x90:rate=25:duration=2 "
            "-f lavfi -i sine=duration=2,pan=5.1|c0=c0|c1=c0|c2=c0|c3=c0|c4=c0|c5=c0 "
            "-f lavfi -i sine=frequency=300:duration=2,pan=stereo|c0=c0|c1=c0 "
            "-map 0 -map 1 -map 2 -map 3 -map 4 -map 5 -map_chapters 6 "
            "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a:0 ac3 -c:a:1 aac -c:s:0 srt -c:s:1 srt "
            "-c:s:2 copy -metadata:s:a:0 language=eng -metadata:s:a:1 language=fre "
            "-metadata:s:a:1 title=Commentary -metadata:s:s:0 language=eng -metadata:s:s:1 language=fre "
            "-metadata:s:s:2 language=ger -disposition:s:1 forced")
            .split(QLatin1Char(' '));
    const qsizetype inputsEnd = words.indexOf(QStringLiteral("-map"));
    return generateClip(path, words.mid(0, inputsEnd) +
                                  QStringList{"-i", work.filePath("en.srt"), "-i", work.filePath("fr.srt"),
                                              "-i", work.filePath("de.sup"), "-f", "ffmetadata", "-i",
                                              work.filePath("chapters.txt")} +
                                  words.mid(inputsEnd));
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

void runShell(BatchEncoder &encoder, std::function<QString(const MediaVideo &)> command)
{
    encoder.setCommandBuilder(
        [command](const MediaVideo &job, const ToolRunner &, const QString &, CropDetection) {
            return CommandLine{command(job), {}};
        });
}

bool runToEnd(BatchEncoder &encoder, const QList<MediaVideo::Ptr> &jobs, const RunOptions &options)
{
    QSignalSpy finished(&encoder, &BatchEncoder::runFinished);
    return encoder.start(jobs, options) && finished.wait(60000);
}

QByteArray ffprobe(const QString &file, const QString &args)
{
    QByteArray out;
    run(QStringLiteral("ffprobe"),
        QStringList{"-v", "error"} + args.split(QLatin1Char(' ')) + QStringList{"file:" + file}, &out);
    return out;
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
