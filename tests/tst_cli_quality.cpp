// Quality: the search for the CRF that meets a target, on scripted score curves; ffmpeg's scores read
// from its lines; and tavrix-cli compare on pairs whose closeness is known.
#include "TestSupport.h"

#include "media/QualityMeasure.h"
#include "rules/CrfSearch.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

// A score curve written out: the score of each CRF from 10 upwards, one a step.
using Curve = QList<double>;

QString triedText(const CrfSearchResult &result)
{
    QStringList out;
    for (const auto &[crf, score] : result.tried)
        out << QString::number(crf);
    return out.join(' ');
}

} // namespace

class TestCliQuality : public QObject
{
    Q_OBJECT

private slots:
    void searchCrf_data()
    {
        QTest::addColumn<Curve>("curve"); // CRF 10 .. 51
        QTest::addColumn<double>("target");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<int>("crf");
        QTest::addColumn<QString>("tried");
        // A steady fall of 0.002 a step from 0.999 at CRF 10: 0.980 is met up to CRF 19.
        Curve steady;
        for (int crf = 10; crf <= 51; ++crf)
            steady << 0.999 - 0.002 * (crf - 10);
        QTest::newRow("steady") << steady << 0.98 << "found" << 19 << "31 20 15 18 19";
        // A cliff: 0.99 up to CRF 27, 0.90 above.
        Curve steep;
        for (int crf = 10; crf <= 51; ++crf)
            steep << (crf <= 27 ? 0.99 : 0.90);
        QTest::newRow("steep") << steep << 0.98 << "found" << 27 << "31 20 26 29 28 27";
        QTest::newRow("every CRF meets it") << Curve(42, 0.999) << 0.98 << "found" << 51 << "31 42 47 50 51";
        QTest::newRow("none meets it")
            << Curve(42, 0.95) << 0.98 << "unreachable" << 10 << "31 20 15 12 11 10";
        // Noise: a dip at CRF 15 below the true boundary (19): the search stays under the dip.
        Curve noisy = steady;
        noisy[15 - 10] = 0.97;
        QTest::newRow("a dip below the boundary") << noisy << 0.98 << "found" << 14 << "31 20 15 12 14";
    }
    void searchCrf()
    {
        QFETCH(Curve, curve);
        QFETCH(double, target);
        QFETCH(QString, outcome);
        QFETCH(int, crf);
        QFETCH(QString, tried);
        const CrfSearchResult result = ::searchCrf(
            {10, 51, target, 6}, [&](int c) -> std::optional<double> { return curve.value(c - 10); });
        const QString names[] = {"found", "unreachable", "failed"};
        QCOMPARE(names[int(result.outcome)], outcome);
        QCOMPARE(result.crf, crf);
        QCOMPARE(triedText(result), tried);
    }

    void aCandidateThatCannotBeScored()
    {
        int asked = 0;
        const CrfSearchResult result = ::searchCrf(
            {10, 51, 0.98, 6},
            [&](int) -> std::optional<double> {
                ++asked;
                return std::nullopt;
            },
            [] { return QStringLiteral("ffmpeg ended by signal 9"); });
        QCOMPARE(int(result.outcome), int(CrfSearchResult::Outcome::Failed));
        QCOMPARE(result.error, QStringLiteral("ffmpeg ended by signal 9"));
        QCOMPARE(asked, 1);
    }

    // Where a search takes its samples, and the levels a target is named by.
    void samplesAndLevels_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("spans"); // start+length, seconds
        QTest::newRow("short: the whole file") << 20.0 << "";
        QTest::newRow("unknown length") << -1.0 << "";
        QTest::newRow("half a minute") << 30.0 << "6.25+1.5 14.25+1.5 22.25+1.5";
        QTest::newRow("two minutes") << 120.0 << "27.25+1.5 59.25+1.5 91.25+1.5";
        QTest::newRow("two hours") << 7200.0 << "1198+4 2158+4 3118+4 4078+4 5038+4 5998+4";
    }
    void samplesAndLevels()
    {
        QFETCH(double, seconds);
        QFETCH(QString, spans);
        QStringList shown;
        for (const SampleSpan &span : sampleSpans(seconds))
            shown << QString::number(span.start) + "+" + QString::number(span.length);
        QCOMPARE(shown.join(' '), spans);

        QCOMPARE(levelNamed("high").value().ssim, 0.985);
        QCOMPARE(levelNamed("Visually lossless").value().ssim, 0.993);
        QCOMPARE(levelNamed(" SMALL ").value().ssim, 0.96);
        QVERIFY(!levelNamed("best"));
        QCOMPARE(targetText(0.975), QStringLiteral("Good (SSIM 0.975)"));
        QCOMPARE(targetText(0.978), QStringLiteral("SSIM 0.978"));
    }

    void scoresFromFfmpegLines()
    {
        const QualityScore read = qualityFromLines(
            {"frame=   50 fps=0.0 q=-0.0 Lsize=N/A time=00:00:02.00",
             "[Parsed_ssim_4 @ 0x55d] SSIM Y:0.991 (20.5) U:0.995 (23.0) V:0.994 (22.2) All:0.992543 (21.3)",
             "[Parsed_psnr_5 @ 0x55d] PSNR y:40.12 u:44.0 v:43.9 average:41.234 min:38.1 max:45.2"});
        QVERIFY(read.ok());
        QCOMPARE(read.ssim, 0.992543);
        QCOMPARE(read.psnr, std::optional<double>(41.234));
        const QualityScore same =
            qualityFromLines({"[Parsed_ssim_4 @ 0x1] SSIM Y:1.000 (inf) All:1.000000 (inf)",
                              "[Parsed_psnr_5 @ 0x1] PSNR y:inf u:inf v:inf average:inf "
                              "min:inf max:inf"});
        QCOMPARE(same.ssim, 1.0);
        QCOMPARE(same.psnr, std::nullopt);
        QCOMPARE(qualityFromLines({"file:/x.mp4: Invalid data found when processing input"}).error,
                 QStringLiteral("file:/x.mp4: Invalid data found when processing input"));
    }

    // A file against itself, against a copy made much worse, and against something that is no video.
    void compare()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath("source clip.mp4"), poor = dir.filePath("poor.mp4");
        QVERIFY(TestSupport::generateClip(source,
                                          "-f lavfi -i testsrc2=size=320x240:rate=25:duration=1 -crf 10"));
        QVERIFY(TestSupport::generateClip(poor, QStringList{"-i", source, "-vf", "scale=40:30,scale=320:240",
                                                            "-c:v", "libx264", "-crf", "45"}));
        QByteArray out, err;
        QCOMPARE(TestSupport::run(TAVRIX_CLI_PATH, {"compare", source, source}, &out, &err), 0);
        QCOMPARE(out, QByteArray("SSIM 1.000 · PSNR inf · 100 % of the source's size\n"));
        QCOMPARE(TestSupport::run(TAVRIX_CLI_PATH, {"compare", source, poor}, &out, &err), 0);
        const QList<QByteArray> words = out.split(' ');
        QVERIFY2(words.value(1).toDouble() < 0.8 && words.value(4).toDouble() < 25, out.constData());
        QVERIFY(TestSupport::writeFile(dir.filePath("text.mp4"), "not a video\n"));
        QCOMPARE(TestSupport::run(TAVRIX_CLI_PATH, {"compare", source, dir.filePath("text.mp4")}, &out, &err),
                 1);
        QVERIFY2(err.startsWith("tavrix-cli compare: ") && err.contains("text.mp4"), err.constData());
    }

    // A target on a real clip: the search chooses a CRF, the whole output is checked against the source
    // and comes out at the samples' score (a short clip is its own sample), a second conversion of the
    // same source takes the remembered value, and a target no CRF reaches says so.
    void targetQuality()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath("clip $(x).mp4");
        QVERIFY(TestSupport::generateClip(
            source, "-f lavfi -i testsrc2=size=320x240:rate=25:duration=2,noise=alls=12:allf=t -crf 8"));
        const auto encode = [&](const QString &dest, const QStringList &options) {
            QDir().mkpath(dest);
            QByteArray stdOut;
            const int status = TestSupport::run(
                TAVRIX_CLI_PATH,
                QStringList{"encode", "--dest", dest, "--video-encoder", "libx264", "--container", "mkv",
                            "--check-quality"} +
                    options + QStringList{source},
                &stdOut, nullptr,
                {"XDG_CONFIG_HOME=" + dir.filePath("config"), "XDG_CACHE_HOME=" + dir.filePath("cache")});
            return QString::number(status) + " " + QString::fromUtf8(stdOut);
        };
        QString said = encode(dir.filePath("one"), {"--target-ssim", "0.97"});
        QVERIFY2(said.startsWith("0 "), qPrintable(said));
        static const QRegularExpression chosen(
            "CRF (\\d+) · SSIM (0\\.\\d+) · about [\\d.]+ [kMG]B \\((\\d) values tried");
        static const QRegularExpression checked(
            "SSIM (0\\.\\d+) · PSNR [\\d.]+ dB · \\d+ % of the source's size");
        const QRegularExpressionMatch c = chosen.match(said), m = checked.match(said, c.capturedEnd());
        QVERIFY2(c.hasMatch() && m.hasMatch(), qPrintable(said));
        QVERIFY2(c.captured(2).toDouble() >= 0.97 && c.captured(3).toInt() <= 6, qPrintable(said));
        QVERIFY2(std::abs(m.captured(1).toDouble() - c.captured(2).toDouble()) <= 0.005, qPrintable(said));
        QCOMPARE(TestSupport::ffprobe(dir.filePath("one/clip $(x).mkv"),
                                      "-show_entries stream=codec_name -of csv=p=0"),
                 QByteArray("h264\n"));

        said = encode(dir.filePath("two"), {"--target-ssim", "0.97"});
        QVERIFY2(said.contains("CRF " + c.captured(1) + " · SSIM " + c.captured(2)) &&
                     said.contains("(from an earlier search)"),
                 qPrintable(said));
        said = encode(dir.filePath("three"), {"--target-ssim", "0.9999"});
        QVERIFY2(said.contains("CRF 12 · SSIM") && said.contains("(target 0.9999 not reached)"),
                 qPrintable(said));
    }

    // The batch's guards on real files: a source already in the job's format is left out, and an output
    // larger than its source is removed when only the source is to be kept.
    void guards()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath("small.mp4");
        QVERIFY(TestSupport::generateClip(source,
                                          "-f lavfi -i testsrc2=size=320x240:rate=25:duration=1 -crf 45"));
        const QString out = dir.filePath("out");
        QVERIFY(QDir().mkpath(out));
        const auto encode = [&](const QStringList &options) {
            QByteArray stdOut;
            const int status = TestSupport::run(
                TAVRIX_CLI_PATH, QStringList{"encode", "--dest", out} + options + QStringList{source},
                &stdOut, nullptr, {"XDG_CONFIG_HOME=" + dir.filePath("config")});
            return std::pair(status, QString::fromUtf8(stdOut));
        };
        auto [status, said] =
            encode({"--video-encoder", "libx264", "--container", "mp4", "--skip-same-format"});
        QCOMPARE(status, 1);
        QVERIFY2(said.contains("Not run: Already H.264 in MP4: not converted."), qPrintable(said));
        std::tie(status, said) = encode({"--container", "mkv", "--skip-same-format", "--video-encoder",
                                         "libx264", "--quality", "0", "--keep-larger", "no"});
        QCOMPARE(status, 1);
        QVERIFY2(said.contains(QRegularExpression("Not run: Larger than the source \\(\\d+ %\\): not kept")),
                 qPrintable(said));
        QCOMPARE(TestSupport::entries(out), QStringList());
        std::tie(status, said) =
            encode({"--container", "mkv", "--video-encoder", "libx264", "--quality", "0"});
        QCOMPARE(status, 0);
        QCOMPARE(TestSupport::entries(out), QStringList{"small.mkv"});
    }
};

QTEST_GUILESS_MAIN(TestCliQuality)
#include "tst_cli_quality.moc"
