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
    QFile file(packagingFile(QStringLiteral("org.tavrix.Tavrix.desktop")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.startsWith(key + QLatin1Char('=')))
            return line.mid(key.size() + 1);
    }
    return {};
}

} // namespace

class TestPackaging : public QObject
{
    Q_OBJECT

private slots:
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

    void installedWhereDesktopsLook()
    {
        const QString buildDir =
            QFileInfo(QStringLiteral(TAVRIX_CLI_PATH)).absolutePath() + QStringLiteral("/..");
        QTemporaryDir prefix;
        QByteArray out, err;
        const int code = TestSupport::run(QStringLiteral("cmake"),
                                          {"--install", buildDir, "--prefix", prefix.path()}, &out, &err);
        QVERIFY2(code == 0, (out + err).constData());
        for (const char *path : {"share/applications/org.tavrix.Tavrix.desktop",
                                 "share/icons/hicolor/scalable/apps/org.tavrix.Tavrix.svg",
                                 "share/metainfo/org.tavrix.Tavrix.metainfo.xml", "bin/tavrix",
                                 "libexec/tavrix/ffmpeg", "libexec/tavrix/mediainfo"})
            QVERIFY2(QFileInfo::exists(prefix.filePath(QString::fromLatin1(path))), path);
    }
};

QTEST_GUILESS_MAIN(TestPackaging)
#include "tst_packaging.moc"
