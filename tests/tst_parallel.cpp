// Several jobs at once: side by side on this machine, and spread over hosts by GNU parallel.
#include "TestSupport.h"

#include "encoding/BatchEncoder.h"
#include "encoding/RunStatus.h"
#include "session/Session.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace TestSupport;
using Status = JobResult::Status;

namespace {

bool writeScript(const QString &path, const QByteArray &text)
{
    return writeFile(path, text) && QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
}

bool haveParallel()
{
    return !QStandardPaths::findExecutable(QStringLiteral("parallel")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("rsync")).isEmpty();
}

// Whether ffmpeg decodes the whole file without an error.
bool plays(const QString &path)
{
    QByteArray err;
    return run(realTool(QStringLiteral("ffmpeg")),
               {"-v", "error", "-nostdin", "-i", "file:" + path, "-f", "null", "-"}, nullptr, &err) == 0 &&
           err.isEmpty();
}

// Stands in for ssh: runs the command here, in a folder of its own per host, as a login there would.
// Host "unreachable" answers as ssh does when it cannot connect.
const QByteArray standInSsh = R"(#!/bin/bash
while [ $# -gt 0 ]; do
  case "$1" in
    -l|-p|-o|-i|-F) shift 2;;
    -*) shift;;
    *) break;;
  esac
done
host=$1; shift
[ "$1" = -- ] && shift
echo "$host" >> "$SSH_LOG"
if [ "$host" = unreachable ]; then
  echo "ssh: connect to host unreachable port 22: Connection refused" >&2
  exit 255
fi
# A host may have programs of its own in front of, or instead of, this machine's.
[ -d "$REMOTE_ROOT/.bin-$host" ] && export PATH="$REMOTE_ROOT/.bin-$host${REMOTE_PATH_TAIL-:$PATH}"
# Over there, the command is in a session of its own: only the end of the connection can stop it.
mkdir -p "$REMOTE_ROOT/$host" && cd "$REMOTE_ROOT/$host" && HOME="$REMOTE_ROOT/$host" exec setsid -w bash -c "$*"
)";

// A login shell GNU parallel cannot run jobs with, as on a machine where SHELL is unset or not a
// POSIX shell.
const QString noUsableShell = QStringLiteral("SHELL=/nonexistent/fish");

// Thirty seconds of picture: converting it with a slow preset outlasts the wait for it to start.
bool generateLongClip(const QString &path)
{
    return generateClip(path, {"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=30", "-c:v",
                               "libx264", "-preset", "ultrafast"});
}

// A real ssh host on this machine: a private sshd on 127.0.0.1 with keys and settings of its own, reached
// as "tavrix-loopback" through a client config of its own. sshd gives a login the account's real home,
// so over there GNU parallel works in ~/.parallel/tmp of the account that runs the tests.
class LoopbackHost
{
public:
    // Starts it, the client config going to `clientConfig`; empty when it answers, else why not.
    QString start(const QString &dir, const QString &clientConfig)
    {
        const QStringList sbin{QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin"),
                               QStringLiteral("/sbin")};
        const QString sshd = QStandardPaths::findExecutable(QStringLiteral("sshd"), sbin);
        const QString keygen = QStandardPaths::findExecutable(QStringLiteral("ssh-keygen"));
        const QString ssh = QStandardPaths::findExecutable(QStringLiteral("ssh"));
        if (sshd.isEmpty() || keygen.isEmpty() || ssh.isEmpty())
            return QStringLiteral("sshd, ssh and ssh-keygen are needed (dev.sh installs openssh-server)");
        for (const char *key : {"host_key", "user_key"})
            if (run(keygen, {"-q", "-N", "", "-t", "ed25519", "-f", dir + "/" + key}) != 0)
                return QStringLiteral("ssh-keygen failed");
        QFile::copy(dir + "/user_key.pub", dir + "/authorized_keys");
        // A free port: the kernel picks one for a socket that is closed right away.
        const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        ::bind(socket, reinterpret_cast<sockaddr *>(&address), sizeof address);
        ::getsockname(socket, reinterpret_cast<sockaddr *>(&address), &size);
        ::close(socket);
        const QByteArray port = QByteArray::number(ntohs(address.sin_port));
        // As root, sshd wants its privilege separation folder, which only a started ssh service makes.
        if (::geteuid() == 0 && !QFileInfo::exists(QStringLiteral("/run/sshd")))
            m_madeRunDir = QDir().mkpath(QStringLiteral("/run/sshd"));
        const QByteArray d = QFile::encodeName(dir);
        writeFile(dir + "/sshd_config", "ListenAddress 127.0.0.1\nPort " + port + "\nHostKey " + d +
                                            "/host_key\nAuthorizedKeysFile " + d +
                                            "/authorized_keys\nStrictModes no\nUsePAM no\nPidFile none\n"
                                            "PasswordAuthentication no\n");
        writeFile(clientConfig, "Host tavrix-loopback\n  HostName 127.0.0.1\n  Port " + port + "\n  User " +
                                    QByteArray(::getpwuid(::geteuid())->pw_name) + "\n  IdentityFile " + d +
                                    "/user_key\n  IdentitiesOnly yes\n  UserKnownHostsFile " + d +
                                    "/known_hosts\n  StrictHostKeyChecking no\n  BatchMode yes\n"
                                    "  LogLevel ERROR\n");
        m_sshd.setProcessChannelMode(QProcess::MergedChannels);
        m_sshd.start(sshd, {"-D", "-e", "-f", dir + "/sshd_config"});
        QByteArray said;
        QDeadlineTimer deadline(10000);
        while (!said.contains("Server listening") && m_sshd.state() != QProcess::NotRunning &&
               !deadline.hasExpired())
            if (m_sshd.waitForReadyRead(100))
                said += m_sshd.readAll();
        if (!said.contains("Server listening"))
            return QStringLiteral("sshd did not start: ") + QString::fromLocal8Bit(said.trimmed());
        QByteArray err;
        if (run(ssh, {"-F", clientConfig, "tavrix-loopback", "true"}, nullptr, &err, {}, 20000) != 0)
            return QStringLiteral("cannot log in through the private sshd: ") + QString::fromLocal8Bit(err);
        return {};
    }
    ~LoopbackHost()
    {
        m_sshd.kill();
        m_sshd.waitForFinished(5000);
        if (m_madeRunDir)
            QDir().rmdir(QStringLiteral("/run/sshd"));
    }
    // Where GNU parallel keeps the files it sends there.
    static QString parallelFolder()
    {
        return QFile::decodeName(::getpwuid(::geteuid())->pw_dir) + QStringLiteral("/.parallel/tmp/");
    }

private:
    QProcess m_sshd;
    bool m_madeRunDir = false;
};

} // namespace

class TestParallel : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_clip;

    QString folder(const QString &name)
    {
        const QString path = m_dir.filePath(name);
        QDir(path).removeRecursively();
        QDir().mkpath(path);
        return path;
    }

    // The stand-in ssh and a hosts file in `dir`, and the environment that has tavrix-cli use them, its
    // hosts working in folder "remote", its logs in "data".
    QStringList standIn(const QString &dir, const QByteArray &hosts)
    {
        if (!writeFile(dir + "/hosts", hosts) || !writeScript(dir + "/ssh", standInSsh))
            return {};
        return {"PARALLEL_SSH=" + dir + "/ssh", "REMOTE_ROOT=" + folder(QStringLiteral("remote")),
                "SSH_LOG=" + dir + "/ssh.log", "XDG_DATA_HOME=" + folder(QStringLiteral("data"))};
    }

private slots:
    void initTestCase()
    {
        isolateSettings();
        QVERIFY(m_dir.isValid());
        m_clip = m_dir.filePath(QStringLiteral("clip.mkv"));
        QVERIFY(generateSimpleClip(m_clip, 1.0));
    }

    // Two at once through the session as the window runs it: every output plays, each job has its own
    // result, and the one ffmpeg refuses says why.
    void twoAtOnceWithAFailure()
    {
        const QString dir = folder(QStringLiteral("side"));
        QStringList sources;
        for (int i = 0; i < 4; ++i) {
            sources << dir + QStringLiteral("/clip %1.mkv").arg(i);
            QVERIFY(QFile::copy(m_clip, sources.last()));
        }
        Session session{ToolRunner(realResourceDir())};
        QSignalSpy imported(&session, &Session::importFinished);
        JobSettings settings;
        settings.container = 0;
        const auto edit = [](MediaVideo &job) {
            job.videoPreset = VideoPresets::ultrafast;
            if (job.source.endsWith(QStringLiteral("clip 2.mkv")))
                job.otherParam = QStringLiteral("-no_such_option");
        };
        session.import({sources, {}, {}, edit, false, settings});
        QVERIFY(imported.wait(60000));
        const QList<MediaVideo::Ptr> jobs = session.jobs()->jobs();
        QCOMPARE(jobs.size(), 4);

        QSignalSpy results(session.encoder(), &BatchEncoder::jobFinished);
        QSignalSpy finished(session.encoder(), &BatchEncoder::runFinished);
        RunOptions options;
        options.simultaneousJobs = 2;
        QVERIFY(session.encoder()->start(jobs, options));
        QVERIFY(finished.wait(120000));

        QCOMPARE(results.size(), 4);
        for (int i = 0; i < 4; ++i) {
            const JobResult &result = jobs[i]->result;
            if (i == 2) {
                QCOMPARE(result.status, Status::Failed);
                QVERIFY2(result.reasonText().contains(QStringLiteral("no_such_option")),
                         qPrintable(result.reasonText()));
                QVERIFY(!QFileInfo::exists(jobs[i]->destination));
            } else {
                QVERIFY2(result.status == Status::Succeeded, qPrintable(result.reasonText()));
                QVERIFY(plays(jobs[i]->destination));
            }
        }
        QCOMPARE(entries(dir).filter(QStringLiteral(".tavrix-")), QStringList());
        QVERIFY(session.status()->runningJobs().isEmpty() && !session.status()->isSideBySide());
    }

    // `encode --hosts` through the real GNU parallel with a stand-in ssh: the sources go to the hosts,
    // the outputs come back beside them, and each job's result says how it went.
    void hosts_data()
    {
        QTest::addColumn<QByteArray>("hosts");
        QTest::addColumn<bool>("reachable");
        QTest::newRow("two hosts") << QByteArray("1/hostA\n1/hostB\n") << true;
        QTest::newRow("this machine and a host") << QByteArray("1/:\n1/hostA\n") << true;
        QTest::newRow("unreachable host") << QByteArray("1/unreachable\n") << false;
    }
    void hosts()
    {
        QFETCH(QByteArray, hosts);
        QFETCH(bool, reachable);
        if (!haveParallel())
            QSKIP("GNU parallel and rsync are needed (dev.sh installs them)");
        const QString dir = folder(QStringLiteral("hosts"));
        const QStringList names{QStringLiteral("plain.mkv"), QStringLiteral("a \"b\" $HOME 'c'\nd.mkv"),
                                QStringLiteral("-dash.mkv")};
        for (const QString &name : names)
            QVERIFY(QFile::copy(m_clip, dir + QLatin1Char('/') + name));
        const QStringList environment = standIn(dir, hosts);
        QVERIFY(!environment.isEmpty());
        // The subtitle goes to the host with the source, and is read there from the copy.
        const QString subtitle = folder(QStringLiteral("subtitle")) + QStringLiteral("/sub \"x\".srt");
        QVERIFY(writeFile(subtitle, "1\n00:00:00,000 --> 00:00:00,900\nHello\n"));

        QByteArray out;
        const int status = run(QStringLiteral(TAVRIX_CLI_PATH),
                               {"encode", "--video-encoder", "libx264", "--preset", "ultrafast",
                                "--container", "mp4", "--subtitle", subtitle, "--hosts", dir + "/hosts", dir},
                               &out, nullptr, environment + QStringList{noUsableShell});
        QVERIFY2(status == (reachable ? 0 : 1), out.constData());
        const QByteArray reached = readFile(dir + "/ssh.log");
        for (const QByteArray &line : hosts.split('\n'))
            if (line.contains('/') && !line.endsWith(':'))
                QVERIFY2(reached.contains(line.split('/').last()), reached.constData());
        for (const QString &name : names) {
            const QString output = dir + QLatin1Char('/') + QFileInfo(name).completeBaseName() + ".mp4";
            QCOMPARE(QFileInfo::exists(output), reachable);
            if (reachable) {
                QVERIFY2(plays(output), qPrintable(output));
                QCOMPARE(ffprobe(output, "-select_streams s -show_entries stream=codec_name -of csv=p=0"),
                         "mov_text\n");
            }
        }
        // Each job keeps its log; one that ran on a host shows the command it ran there.
        int logs = 0;
        for (QDirIterator it(m_dir.filePath("data"), {QStringLiteral("*.log")}, QDir::Files,
                             QDirIterator::Subdirectories);
             it.hasNext(); ++logs) {
            const QByteArray log = readFile(it.next());
            if (log.startsWith("On host"))
                QVERIFY2(log.contains(R"(from './sub "x".srt')"), log.constData());
        }
        QCOMPARE(logs, names.size());
        if (!reachable)
            QCOMPARE(out.count("The host unreachable could not be reached: ssh: connect to host "
                               "unreachable port 22: Connection refused"),
                     2 * names.size()); // on its line and in the summary
        else
            QVERIFY2(out.contains("3 jobs: 3 succeeded"), out.constData());
        // Nothing is left behind, here or on the hosts.
        QCOMPARE(entries(dir).filter(QStringLiteral(".tavrix-")), QStringList());
        QDirIterator left(m_dir.filePath("remote"), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        QVERIFY2(!left.hasNext(), qPrintable(left.hasNext() ? left.next() : QString()));
    }

    // What a host or the hosts file can do wrong is said as such, and leaves nothing behind here.
    void hostFaults_data()
    {
        QTest::addColumn<QByteArray>("host");
        QTest::addColumn<QByteArray>("ffmpeg"); // the host's own ffmpeg; "none": it has none
        QTest::addColumn<QString>("reason");
        QTest::newRow("no ffmpeg on the host") << QByteArray("bare") << QByteArray("none")
                                               << "ffmpeg is not installed on bare (or not on its PATH).";
        QTest::newRow("a folder comes back")
            << QByteArray("odd") << QByteArray("mkdir \"$out\"; : > \"$out/x\"")
            << "On odd: the converted file did not come back.";
        QTest::newRow("a link comes back") << QByteArray("odd") << QByteArray("ln -s /etc/hostname \"$out\"")
                                           << "On odd: the converted file did not come back.";
        QTest::newRow("a hosts line GNU parallel cannot read")
            << QByteArray("-1/hostA") << QByteArray()
            << "GNU parallel cannot read the hosts file “%1”: "
               "SSHLogin parser failed on '-1/hostA' => '/hostA'";
    }
    void hostFaults()
    {
        QFETCH(QByteArray, host);
        QFETCH(QByteArray, ffmpeg);
        QFETCH(QString, reason);
        if (!haveParallel())
            QSKIP("GNU parallel and rsync are needed (dev.sh installs them)");
        const QString dir = folder(QStringLiteral("faults"));
        QVERIFY(QFile::copy(m_clip, dir + QStringLiteral("/clip.mkv")));
        QStringList environment = standIn(dir, host + '\n');
        QVERIFY(!environment.isEmpty());
        const QString bin = m_dir.filePath("remote/.bin-" + QString::fromUtf8(host));
        if (ffmpeg == "none") {
            // Every program of this machine but ffmpeg.
            QVERIFY(QDir().mkpath(bin));
            for (const QFileInfo &program : QDir(QStringLiteral("/usr/bin")).entryInfoList(QDir::Files))
                if (program.fileName() != QLatin1String("ffmpeg"))
                    QFile::link(program.absoluteFilePath(), bin + '/' + program.fileName());
            environment << QStringLiteral("REMOTE_PATH_TAIL=");
        } else if (!ffmpeg.isEmpty()) {
            QVERIFY(QDir().mkpath(bin));
            QVERIFY(writeScript(bin + "/ffmpeg", "#!/bin/bash\nout=\"${@: -1}\"\n" + ffmpeg + '\n'));
        }
        QByteArray out;
        const int status =
            run(QStringLiteral(TAVRIX_CLI_PATH),
                {"encode", "--preset", "ultrafast", "--hosts", dir + "/hosts", dir + "/clip.mkv"}, &out,
                nullptr, environment);
        QCOMPARE(status, 1);
        if (reason.contains(QLatin1String("%1")))
            reason = reason.arg(dir + "/hosts");
        QVERIFY2(out.contains("clip.mkv  Failed: " + reason.toUtf8() + '\n'), out.constData());
        QCOMPARE(entries(dir).filter(QStringLiteral(".tavrix-")), QStringList());
    }

    // Ctrl-C while a host converts, over a real ssh connection: GNU parallel ends the ffmpeg over there,
    // and the copies sent there go.
    void hostsInterruptedOverSsh()
    {
        if (!haveParallel())
            QSKIP("GNU parallel and rsync are needed (dev.sh installs them)");
        const QString dir = folder(QStringLiteral("over-ssh"));
        LoopbackHost host;
        if (const QString why = host.start(folder(QStringLiteral("sshd")), dir + "/ssh_config");
            !why.isEmpty())
            QSKIP(qPrintable(why));
        // A name of this test alone, to tell its copy from anything else in the home over there.
        const QString name = QStringLiteral("stopped-%1.mkv").arg(QCoreApplication::applicationPid());
        QVERIFY(generateLongClip(dir + "/" + name));
        QVERIFY(writeFile(dir + QStringLiteral("/hosts"), "1/tavrix-loopback\n"));
        QString there; // the folder the ffmpeg over there works in
        const bool hadFolder = QFileInfo::exists(LoopbackHost::parallelFolder());
        const auto cleanup = qScopeGuard([&] {
            if (QFileInfo::exists(there + "/" + name))
                QDir(there).removeRecursively();
            if (!hadFolder) // and only while it is empty: another run may be using it
                for (const char *folder : {".", ".."})
                    QDir().rmdir(QDir::cleanPath(LoopbackHost::parallelFolder() + folder));
        });
        QProcess cli;
        const TestSupport::ScopedEnv env{{"PARALLEL_SSH", ("ssh -F " + dir + "/ssh_config").toUtf8()},
                                         {"SHELL", noUsableShell.mid(6).toUtf8()}};
        cli.start(QStringLiteral(TAVRIX_CLI_PATH),
                  {"encode", "--preset", "veryslow", "--hosts", dir + "/hosts", dir + "/" + name});
        const auto converting = [&] {
            for (const Process &p : livingProcesses())
                if (p.name == "ffmpeg" && p.commandLine.contains(name.toUtf8()) &&
                    p.workingDir.startsWith(LoopbackHost::parallelFolder()))
                    there = p.workingDir;
            return !there.isEmpty();
        };
        QTRY_VERIFY_WITH_TIMEOUT(converting(), 60000);
        ::kill(pid_t(cli.processId()), SIGINT);
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 130);
        // Nothing of the run goes on: over there in its folder, nor here (every ssh and rsync of the run
        // names the run's folder).
        const auto ofRun = [&] {
            const QList<Process> all = livingProcesses();
            return std::count_if(all.cbegin(), all.cend(), [&](const Process &p) {
                return p.workingDir == there || p.workingDir.startsWith(there + "/") ||
                       p.commandLine.contains(QFile::encodeName(dir + "/"));
            });
        };
        QTRY_COMPARE_WITH_TIMEOUT(ofRun(), 0, 10000);
        // GNU parallel removes the copy over there as its connection closes, which on a loaded machine may
        // come a moment after the last process of the run has gone.
        QTRY_VERIFY2_WITH_TIMEOUT(!QFileInfo::exists(there + "/" + name), qPrintable(there), 10000);
        QCOMPARE(entries(dir).filter(QStringLiteral(".tavrix-")), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestParallel)
#include "tst_parallel.moc"
