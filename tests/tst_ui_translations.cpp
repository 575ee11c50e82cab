// The translation tables: English gives the help tips their texts, French is complete and is what a
// French user sees.
#include "TestSupport.h"

#include "encoding/BatchEncoder.h"
#include "encoding/RunStatus.h"
#include "store/QueueFile.h"
#include "ui/ContentView.h"
#include "ui/Translations.h"

#include <QLineEdit>

#include <QPushButton>
#include <QRegularExpression>
#include <QTranslator>
#include <QtTest>

namespace {

void removeTranslations()
{
    const QList<QTranslator *> translators = qApp->findChildren<QTranslator *>();
    for (QTranslator *translator : translators) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

QSet<QString> placeholders(const QString &text)
{
    QSet<QString> found;
    static const QRegularExpression marker(QStringLiteral("%(\\d+|n)"));
    for (auto it = marker.globalMatch(text); it.hasNext();)
        found << it.next().captured();
    return found;
}

} // namespace

class TestTranslations : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestSupport::isolateSettings(); }
    void cleanup() { removeTranslations(); }

    // The help tips are keys whose texts come from the English table; French replaces both, and a
    // language without a table falls back to English.
    void buttonsSpeakTheUsersLanguage_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("help");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("deleteKey"); // as menus show the Delete shortcut
        const QString english = "Import every video file found in a folder and its sub-folders (Ctrl+D).";
        QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates) << "Directory" << english
                                 << "[3 / 7] 25.00%"
                                 << "Del";
        QTest::newRow("German, no table")
            << QLocale(QLocale::German, QLocale::Germany) << "Directory" << english << "[3 / 7] 25.00%"
            << "Del";
        QTest::newRow("French") << QLocale(QLocale::French, QLocale::France) << "Dossier"
                                << "Importer toutes les vidéos d’un dossier et de ses sous-dossiers (Ctrl+D)."
                                << "[3 / 7] 25.00 %"
                                << "Suppr";
    }
    void buttonsSpeakTheUsersLanguage()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, label);
        QFETCH(QString, help);
        QFETCH(QString, status);
        QFETCH(QString, deleteKey);
        QCOMPARE(installTranslations(locale).isEmpty(), locale.language() != QLocale::French);
        ContentView view{ToolRunner(TestSupport::realResourceDir())};
        auto *button = view.findChild<QPushButton *>(QStringLiteral("directory"));
        QCOMPARE(button->text(), label);
        QCOMPARE(button->toolTip(), help);
        QVERIFY(!view.destinationField()->toolTip().endsWith(QStringLiteral(".help")));
        QCOMPARE(RunStatus::valueText(QStringLiteral("3"), 7, 25), status);
        QCOMPARE(QKeySequence(QKeySequence::Delete).toString(QKeySequence::NativeText), deleteKey);
    }

    // A job's reason is worded when shown: a list saved after a run in English reads in French once the
    // French table is installed, and in English again once it is removed.
    void savedResultSpeaksTheLanguageOfTheMoment()
    {
        // A saved list may name a folder where the source was: it is not converted.
        QTemporaryDir dir;
        const QString source = dir.filePath("clip.mov");
        QVERIFY(QDir().mkdir(source));
        const auto job = std::make_shared<MediaVideo>(source, dir.filePath("clip.mp4"));
        BatchEncoder encoder{ToolRunner(TestSupport::realResourceDir())};
        QSignalSpy finished(&encoder, &BatchEncoder::runFinished);
        QVERIFY(encoder.start({job}, RunOptions()) && finished.wait(30000));
        const QueueFile file(dir.filePath("list"));
        QVERIFY(file.save({job}).ok());

        QVERIFY(!installTranslations(QLocale(QLocale::French, QLocale::France)).isEmpty());
        const JobResult saved = file.load().jobs.value(0)->result;
        QCOMPARE(saved.reasonText(), "La source « " + source +
                                         " » n’est pas un fichier ordinaire (un dossier, un tube ou un "
                                         "périphérique) ; elle n’est pas convertie.");
        removeTranslations();
        QCOMPARE(saved.reasonText(), "The source “" + source +
                                         "” is not a regular file (a folder, a pipe or a device); it is not "
                                         "converted.");
    }

    // The sentence each kind of reason gives in English, with its details in place.
    void reasonsWordedInEnglish_data()
    {
        using K = ResultReason::Kind;
        QTest::addColumn<QList<ResultReason>>("reason");
        QTest::addColumn<QString>("text");
        QTest::newRow("verbatim") << QList<ResultReason>{ResultReason::text("Invalid data %1")}
                                  << "Invalid data %1";
        QTest::newRow("source not regular") << QList<ResultReason>{{K::SourceNotRegular, {"/in/%2 fifo"}}}
                                            << "The source “/in/%2 fifo” is not a regular file (a folder, a "
                                               "pipe or a device); it is not converted.";
        QTest::newRow("status and line")
            << QList<ResultReason>{{K::ExitedSaying, {"1", "Unknown encoder 'x'"}}}
            << "ffmpeg exited with status 1: Unknown encoder 'x'";
        QTest::newRow("on a host") << QList<ResultReason>{{K::OnHost,
                                                           {"box"},
                                                           {{K::EndedBySignal, {"9", "Killed"}}}}}
                                   << "On box: ffmpeg was ended by signal 9 (Killed).";
        QTest::newRow("short, renamed")
            << QList<ResultReason>{{K::LastsOfSource, {"1.5", "2.0"}},
                                   {K::FfmpegSays, {"Invalid NAL unit size"}},
                                   {K::WrittenTo, {"clip-1.mp4"}, {{K::NameExists, {"clip.mp4"}}}}}
            << "The output lasts 1.5 s of the source's 2.0 s; ffmpeg: Invalid NAL unit size; written to "
               "clip-1.mp4 (clip.mp4 exists)";
        QTest::newRow("not named") << QList<ResultReason>{{K::NotNamed, {"a.mkv"}, {{K::NoFreeNameLeft}}}}
                                   << "The finished file could not be named “a.mkv”: no free name is left.";
    }
    void reasonsWordedInEnglish()
    {
        QFETCH(QList<ResultReason>, reason);
        QTEST(reasonText(reason), "text");
    }

    // Every text has a French translation that keeps its placeholders.
    void frenchTableIsComplete()
    {
        const QString table = QString::fromUtf8(
            TestSupport::readFile(QStringLiteral(TAVRIX_SOURCE_DIR "/translations/tavrix_fr.ts")));
        static const QRegularExpression message(
            QStringLiteral("<source>(.*?)</source>.*?<translation([^>]*)>(.*?)</translation>"),
            QRegularExpression::DotMatchesEverythingOption);
        static const QRegularExpression numerusForm(QStringLiteral("<numerusform>(.*?)</numerusform>"));
        int messages = 0;
        for (const QRegularExpressionMatch &match : message.globalMatch(table)) {
            ++messages;
            const QString source = match.captured(1);
            // Anything in the tag is a type: "unfinished", "vanished" or "obsolete".
            QVERIFY2(match.captured(2).isEmpty(), qPrintable(source));
            QStringList forms;
            for (const QRegularExpressionMatch &form : numerusForm.globalMatch(match.captured(3)))
                forms << form.captured(1);
            for (const QString &form : forms.isEmpty() ? QStringList{match.captured(3)} : forms)
                QVERIFY2(!form.trimmed().isEmpty() && placeholders(form) == placeholders(source),
                         qPrintable(source));
        }
        // A message without a translation would have run into the next one.
        QCOMPARE(messages, table.count(QStringLiteral("<message")));
        QVERIFY(messages > 50);
    }
};

QTEST_MAIN(TestTranslations)
#include "tst_ui_translations.moc"
