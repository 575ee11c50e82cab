// The translation tables: English gives the help tips their texts, French is complete and is what a
// French user sees.
#include "TestSupport.h"

#include "encoding/RunStatus.h"
#include "ui/ContentView.h"
#include "ui/Translations.h"

#include <QLineEdit>

#include <QPushButton>
#include <QRegularExpression>
#include <QTranslator>
#include <QXmlStreamReader>
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

QString buttonText(const ContentView &view, const char *name, bool tip)
{
    auto *button = view.findChild<QPushButton *>(QString::fromLatin1(name));
    return button ? (tip ? button->toolTip() : button->text()) : QString();
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

    void englishGivesTheHelpTips_data()
    {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("help");
        QTest::newRow("File") << QByteArray("file") << "File"
                              << "Import one or more video files into the list (Ctrl+I).";
        QTest::newRow("Directory")
            << QByteArray("directory") << "Directory"
            << "Import every video file found in a folder and its sub-folders (Ctrl+D).";
        QTest::newRow("Setup") << QByteArray("setup") << "Setup"
                               << "Edit the default settings that newly imported files receive (Ctrl+P).";
        QTest::newRow("Encoding") << QByteArray("encoding") << "Encoding"
                                  << "Convert the jobs not converted yet, one after another (Ctrl+E).";
    }
    void englishGivesTheHelpTips()
    {
        QFETCH(QByteArray, button);
        QFETCH(QString, label);
        QFETCH(QString, help);
        QCOMPARE(installTranslations(QLocale(QLocale::English, QLocale::UnitedStates)), QString());
        ContentView view{ToolRunner(TestSupport::realResourceDir())};
        QCOMPARE(buttonText(view, button.constData(), false), label);
        QCOMPARE(buttonText(view, button.constData(), true), help);
        QVERIFY(view.destinationField()->toolTip().startsWith(
            QStringLiteral("Folder where the converted files")));
    }

    void otherLanguagesFallBackToEnglish()
    {
        QCOMPARE(installTranslations(QLocale(QLocale::German, QLocale::Germany)), QString());
        ContentView view{ToolRunner(TestSupport::realResourceDir())};
        QCOMPARE(buttonText(view, "file", false), QStringLiteral("File"));
        QVERIFY(!buttonText(view, "file", true).endsWith(QStringLiteral(".help")));
    }

    void frenchIsShownToAFrenchUser()
    {
        QVERIFY(!installTranslations(QLocale(QLocale::French, QLocale::France)).isEmpty());
        ContentView view{ToolRunner(TestSupport::realResourceDir())};
        QCOMPARE(buttonText(view, "file", false), QStringLiteral("Fichier"));
        QCOMPARE(buttonText(view, "directory", true),
                 QStringLiteral("Importer toutes les vidéos d’un dossier et de ses sous-dossiers (Ctrl+D)."));
        QCOMPARE(view.destinationField()->placeholderText(),
                 QStringLiteral("Chemin des fichiers de destination"));
        QCOMPARE(RunStatus::valueText(QStringLiteral("3"), 7, 25), QStringLiteral("[3 / 7] 25.00 %"));
    }

    // Every text has a French translation that keeps its placeholders.
    void frenchTableIsComplete()
    {
        QFile file(QStringLiteral(TAVRIX_SOURCE_DIR "/translations/tavrix_fr.ts"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        int messages = 0;
        QString source;
        QStringList forms;
        bool unfinished = false;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("message")) {
                source.clear();
                forms.clear();
                unfinished = false;
            } else if (xml.isStartElement() && xml.name() == QLatin1String("source")) {
                source = xml.readElementText();
            } else if (xml.isStartElement() && xml.name() == QLatin1String("translation")) {
                unfinished = !xml.attributes().value(QLatin1String("type")).isEmpty();
                if (xml.readNext() == QXmlStreamReader::Characters && !xml.isWhitespace())
                    forms << xml.text().toString();
            } else if (xml.isStartElement() && xml.name() == QLatin1String("numerusform")) {
                forms << xml.readElementText();
            } else if (xml.isEndElement() && xml.name() == QLatin1String("message")) {
                ++messages;
                QVERIFY2(!unfinished && !forms.isEmpty(), qPrintable(source));
                for (const QString &form : std::as_const(forms)) {
                    QVERIFY2(!form.trimmed().isEmpty(), qPrintable(source));
                    QCOMPARE(placeholders(form), placeholders(source));
                }
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY(messages > 50);
    }
};

QTEST_MAIN(TestTranslations)
#include "tst_ui_translations.moc"
