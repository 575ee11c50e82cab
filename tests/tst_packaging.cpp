// The desktop entry, the icon and the AppStream metadata: valid for the desktop's own checkers,
// consistent with the application, and installed where desktops look for them.
#include "TestSupport.h"

#include "model/Vocabulary.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <QtTest>

namespace {

QString packagingFile(const QString &name)
{
    return QStringLiteral(TAVRIX_SOURCE_DIR "/packaging/") + name;
}

QString desktopValue(const QString &key)
{
    const QString entry =
        QString::fromUtf8(TestSupport::readFile(packagingFile("org.tavrix.Tavrix.desktop")));
    return entry.section('\n' + key + '=', 1).section('\n', 0, 0);
}

} // namespace

class TestPackaging : public QObject
{
    Q_OBJECT

private slots:
    // The package target makes the package in the build tree (./dev.sh test does, after the build); it is
    // extracted here as dpkg would install it.
    void initTestCase()
    {
        const QFileInfo deb(m_deb);
        const QString make =
            QStringLiteral(": `cmake --build BUILD --target package` makes it from a Release or "
                           "RelWithDebInfo build, as ./dev.sh test does");
        if (!deb.exists())
            m_missing = deb.fileName() + QStringLiteral(" is not in the build tree") + make;
        for (const QString program : {"tavrix", "tavrix-cli"}) {
            if (m_missing.isEmpty() &&
                deb.lastModified() < QFileInfo(TAVRIX_BUILD_DIR "/bin/" + program).lastModified())
                m_missing = deb.fileName() + QStringLiteral(" is older than bin/") + program + make;
        }
        QByteArray err;
        if (m_missing.isEmpty())
            QVERIFY2(TestSupport::run(QStringLiteral("dpkg-deb"), {"-x", m_deb, m_root.path()}, nullptr,
                                      &err) == 0,
                     err.constData());
    }

    void validators_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::newRow("desktop-file-validate") << QStringLiteral("desktop-file-validate")
                                               << QStringList{packagingFile("org.tavrix.Tavrix.desktop")};
        QTest::newRow("appstreamcli validate")
            << QStringLiteral("appstreamcli")
            << QStringList{"validate", "--no-net", "--explain",
                           packagingFile("org.tavrix.Tavrix.metainfo.xml")};
    }
    void validators()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        const QString path = QStandardPaths::findExecutable(program);
        if (path.isEmpty())
            QFAIL(qPrintable(program +
                             QStringLiteral(" is missing: install desktop-file-utils and appstream")));
        QByteArray out, err;
        const int code = TestSupport::run(path, args, &out, &err);
        QVERIFY2(code == 0, (out + err).constData());
        // desktop-file-validate says nothing when all is well, warnings included.
        if (program == QLatin1String("desktop-file-validate"))
            QVERIFY2(out.trimmed().isEmpty(), out.constData());
    }

    // The watch service as systemd reads it, for one folder; its program pointed at the build's, which
    // systemd checks exists.
    void watchUnitVerifies()
    {
        const QString analyze = QStandardPaths::findExecutable(QStringLiteral("systemd-analyze"));
        if (analyze.isEmpty())
            QSKIP("systemd-analyze is missing: install systemd");
        QByteArray unit = TestSupport::readFile(packagingFile(QStringLiteral("tavrix-watch@.service")));
        QVERIFY(unit.contains("\nExecStart=/usr/bin/tavrix-cli watch %f\n"));
        unit.replace("/usr/bin/tavrix-cli", TAVRIX_BUILD_DIR "/bin/tavrix-cli");
        QTemporaryDir units;
        QVERIFY(TestSupport::writeFile(units.filePath(QStringLiteral("tavrix-watch@.service")), unit));
        const QString instance = units.filePath(QStringLiteral("tavrix-watch@home-me-Videos-Inbox.service"));
        QVERIFY(QFile::link(QStringLiteral("tavrix-watch@.service"), instance));
        QByteArray out, err;
        QCOMPARE(TestSupport::run(analyze, {"verify", "--man=no", instance}, &out, &err), 0);
        QVERIFY2((out + err).isEmpty(), (out + err).constData()); // an unknown key is only a warning
    }

    void desktopEntryMatchesTheApplication()
    {
        QCOMPARE(desktopValue(QStringLiteral("Exec")), QStringLiteral("tavrix %F"));
        QCOMPARE(desktopValue(QStringLiteral("Icon")), QStringLiteral("org.tavrix.Tavrix"));
        // Every accepted video file can be opened with Tavrix from a file manager.
        const QStringList types =
            desktopValue(QStringLiteral("MimeType")).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        QMimeDatabase mimes;
        for (const QString &extension : Lists::videoExtensions()) {
            const QMimeType type =
                mimes.mimeTypeForFile(QStringLiteral("clip.") + extension, QMimeDatabase::MatchExtension);
            if (!type.name().startsWith(QLatin1String("video/")))
                continue; // an extension the MIME database does not know as video cannot be offered
            bool listed = types.contains(type.name());
            for (const QString &alias : type.aliases())
                listed = listed || types.contains(alias);
            QVERIFY2(listed, qPrintable(extension + QStringLiteral(" -> ") + type.name()));
        }
    }

    // The Debian package as `cmake --build build --target package` makes it: every file and link it holds
    // (its folders aside), and its fields.
    void packageHoldsTheProgramsAndTheirData()
    {
        if (!m_missing.isEmpty())
            QSKIP(qPrintable(m_missing));
        QByteArray out, err;
        QCOMPARE(TestSupport::run(QStringLiteral("dpkg-deb"), {"-c", m_deb}, &out, &err), 0);
        // "-rwxr-xr-x root/root 1234 2025-01-01 00:00 ./usr/bin/tavrix", a link ending in " -> TARGET".
        QStringList entries;
        for (const QString &line : QString::fromUtf8(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            if (!line.startsWith(QLatin1Char('d')))
                entries << line.section(QLatin1Char(' '), 5, -1, QString::SectionSkipEmpty);
        }
        entries.sort();
        QCOMPARE(entries,
                 (QStringList{"./usr/bin/tavrix", "./usr/bin/tavrix-cli",
                              "./usr/lib/systemd/user/tavrix-watch@.service",
                              "./usr/libexec/tavrix/ffmpeg -> /usr/bin/ffmpeg",
                              "./usr/libexec/tavrix/mediainfo -> /usr/bin/mediainfo",
                              "./usr/libexec/tavrix/tavrix-readback",
                              "./usr/share/applications/org.tavrix.Tavrix.desktop",
                              "./usr/share/doc/tavrix/changelog.gz", "./usr/share/doc/tavrix/copyright",
                              "./usr/share/icons/hicolor/scalable/apps/org.tavrix.Tavrix.svg",
                              "./usr/share/man/man1/tavrix-cli.1.gz", "./usr/share/man/man1/tavrix.1.gz",
                              "./usr/share/metainfo/org.tavrix.Tavrix.metainfo.xml"}));

        QCOMPARE(TestSupport::run(QStringLiteral("dpkg-deb"),
                                  {"-f", m_deb, "Package", "Architecture", "Section", "Priority"}, &out,
                                  &err),
                 0);
        QCOMPARE(out, "Package: tavrix\nArchitecture: amd64\nSection: video\nPriority: optional\n");
        // The tools are run, not linked, so they are named by hand; the libraries come from dpkg-shlibdeps.
        QCOMPARE(TestSupport::run(QStringLiteral("dpkg-deb"), {"-f", m_deb, "Depends"}, &out, &err), 0);
        QStringList names;
        for (const QString &relation : QString::fromUtf8(out).split(QLatin1Char(',')))
            names << relation.trimmed().section(QLatin1Char(' '), 0, 0);
        for (const char *name : {"ffmpeg", "mediainfo", "libqt6core6", "libqt6gui6", "libqt6widgets6",
                                 "libqt6network6", "libqt6dbus6", "libstdc++6", "libc6", "libavformat59"})
            QVERIFY2(names.contains(QLatin1String(name)), out.constData());
    }

    // The packaged programs, run from where the package puts them: the window speaks the user's language
    // from its own tables, and the command line finds the tools beside it.
    void packagedProgramsRun()
    {
        if (!m_missing.isEmpty())
            QSKIP(qPrintable(m_missing));
        QByteArray out, err, version;
        QCOMPARE(TestSupport::run(m_root.filePath(QStringLiteral("usr/bin/tavrix")), {"--help"}, &out, &err,
                                  {"LANG=fr_FR.UTF-8", "LC_ALL=", "LC_MESSAGES=", "LANGUAGE="}),
                 0);
        QVERIFY2(out.contains("\nConvertisseur vidéo par lots\n"), out.constData());

        const QString cli = m_root.filePath(QStringLiteral("usr/bin/tavrix-cli"));
        QCOMPARE(TestSupport::run(QStringLiteral("dpkg-deb"), {"-f", m_deb, "Version"}, &version), 0);
        QCOMPARE(TestSupport::run(cli, {"--version"}, &out, &err), 0);
        QCOMPARE(out, "tavrix-cli " + version);
        const QString clip = m_root.filePath(QStringLiteral("clip.mp4"));
        QVERIFY(TestSupport::generateSimpleClip(clip));
        QCOMPARE(TestSupport::run(cli, {"command", clip}, &out, &err), 0);
        QVERIFY2(out.startsWith('"' + m_root.filePath(QStringLiteral("usr/libexec/tavrix/ffmpeg")).toUtf8() +
                                "\" -hide_banner "),
                 (out + err).constData());
    }

private:
    QString m_deb = QStringLiteral(TAVRIX_BUILD_DIR "/tavrix_" TAVRIX_VERSION "_amd64.deb");
    QString m_missing; // why the package cannot be checked: the tests that read it skip, saying so
    QTemporaryDir m_root;
};

QTEST_GUILESS_MAIN(TestPackaging)
#include "tst_packaging.moc"
