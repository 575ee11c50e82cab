// Pictures of the job editor (with a crop preset chosen), its crop preview and the settings sheet:
// tavrix-shots-editor OUTDIR
#include "media/EncoderCatalog.h"
#include "model/MediaVideo.h"
#include "model/Preferences.h"
#include "process/ToolRunner.h"
#include "session/Session.h"
#include "ui/DetailView.h"
#include "ui/ImageView.h"
#include "ui/Panels.h"
#include "ui/Pickers.h"
#include "ui/Setup.h"
#include "ui/Translations.h"

#include "ShotSupport.h"
#include <QAbstractButton>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QToolTip>

#include <cstdio>

namespace {

// A letterboxed 2.35:1 scene on a 1920 by 1080 frame, as a film's middle frame might look.
QImage letterboxedFrame()
{
    QImage frame(1920, 1080, QImage::Format_RGB32);
    frame.fill(Qt::black);
    QPainter painter(&frame);
    const QRect scene(0, 132, 1920, 816);
    QLinearGradient sky(scene.topLeft(), scene.bottomLeft());
    sky.setColorAt(0, QColor(40, 90, 170));
    sky.setColorAt(0.6, QColor(250, 180, 120));
    painter.fillRect(scene, sky);
    painter.setBrush(QColor(255, 230, 150));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPoint(1300, 560), 90, 90);
    painter.setBrush(QColor(40, 60, 40));
    painter.drawRect(QRect(0, 700, 1920, 248));
    return frame;
}

MediaVideo::Ptr sampleJob()
{
    auto job = std::make_shared<MediaVideo>(QStringLiteral("/data/in/Holiday at the sea.mkv"),
                                            QStringLiteral("/tmp/Holiday at the sea.mp4"));
    job->container = 0;
    job->videoEncoder = VideoEncoders::libx265;
    job->videoPreset = VideoPresets::medium;
    job->videoDebit = 4000;
    job->audioDebit = 160;
    job->audioSampling = 48000;
    job->setDurationVideo(QStringLiteral("01:42:10"));
    job->durationVideoMiddle = QStringLiteral("00:51:05");
    job->videoWidth = 1920;
    job->videoHeight = 1080;
    job->videoPixelAspectRatio = 1.0;
    job->videoDisplayAspectRatio = 1.778;
    job->videoTracks = {QStringLiteral("1 0 AVC 8 000 kb/s Size: 1920x1080 DAR: 16:9 PAR: 1.000")};
    job->audioTracks = {
        QStringLiteral("Select 2 track(s) for encoding"),
        QStringLiteral("2 1 Advanced Audio Codec Low Complexity 192 kb/s CBR 48.0 kHz 2 English"),
        QStringLiteral("3 2 Dolby Digital 448 kb/s CBR 48.0 kHz 6 French")};
    job->subtitleTracks = {QStringLiteral("No subtitle"), QStringLiteral("4 UTF-8 English")};
    job->subtitleLanguage = QStringLiteral("fre");
    job->cropValue = 3; // "2:35.1"
    job->info = QStringLiteral("Matroska 01:42:10.000 V:1 A:2 S:1");
    job->setImage(letterboxedFrame());
    return job;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tavrix"));
    QApplication::setApplicationName(QStringLiteral("Tavrix"));
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path()))
        return 1;
    // The pictures never show, nor change, the user's own settings.
    QStandardPaths::setTestModeEnabled(true);
    Preferences::clear();
    Preferences::writeInt(Preferences::Key::videoDebit, 1600);
    Preferences::writeBool(Preferences::Key::deInterlace, true);
    Preferences::writeText(Preferences::Key::subtitleLanguage, QStringLiteral("fre"));
    Session session;
    // The encoders as this machine has them: the ones it cannot use are greyed, with ffmpeg's reason.
    session.checkEncoders();
    session.waitForEncoderCheck();
    const EncoderCatalog *catalog = session.encoders();
    Panels panels;
    QWidget mainWindow;
    mainWindow.setWindowTitle(QStringLiteral("Tavrix"));
    mainWindow.resize(1100, 950);
    mainWindow.show();

    bool ok = true;
    auto *editor = new DetailView(sampleJob(), session, panels, &mainWindow);
    editor->open();
    settle();
    ok &= saveWindow(editor, out.filePath(QStringLiteral("editor.png")));
    // The reason of an unusable encoder is the help tip of its entry; the tip is a window of its own,
    // so the screen is taken where the editor is.
    if (auto *codecs = editor->findChild<SegmentedPicker *>(QStringLiteral("videoCodecPicker"))) {
        for (int i = 0; i < codecs->count(); ++i) {
            QAbstractButton *entry = codecs->button(i);
            if (entry->text() != QLatin1String("h264_nvenc"))
                continue;
            const QPoint at = entry->mapToGlobal(entry->rect().bottomLeft());
            QToolTip::showText(at, entry->toolTip(), entry);
            settle(600);
            const QRect area = editor->frameGeometry().united(QRect(at, QSize(500, 60)));
            const bool saved =
                QGuiApplication::primaryScreen()
                    ->grabWindow(0, area.x(), area.y(), area.width(), std::min(area.height(), 520))
                    .save(out.filePath(QStringLiteral("editor-encoders.png")));
            std::printf("%s %s\n", saved ? "wrote" : "could not write",
                        qPrintable(out.filePath(QStringLiteral("editor-encoders.png"))));
            ok &= saved;
            QToolTip::hideText();
        }
    }
    // Passthrough: the rows that do not apply to a copied video greyed, with the note under the codecs.
    if (auto *codecs = editor->findChild<SegmentedPicker *>(QStringLiteral("videoCodecPicker"))) {
        const int before = codecs->currentIndex();
        for (int i = 0; i < codecs->count(); ++i) {
            if (codecs->button(i)->text() == QLatin1String("copy"))
                codecs->button(i)->click();
        }
        settle();
        ok &= saveWindow(editor, out.filePath(QStringLiteral("editor-copy.png")));
        codecs->button(before)->click();
        settle();
    }
    // At its smallest the form scrolls both ways; nothing is cut off.
    const QSize opened = editor->size();
    editor->resize(editor->minimumSize());
    settle();
    ok &= saveWindow(editor, out.filePath(QStringLiteral("editor-smallest.png")));
    editor->resize(opened);
    settle();

    if (auto *preview = editor->findChild<QPushButton *>(QStringLiteral("previewButton"))) {
        preview->click();
        settle();
        if (auto *view = editor->findChild<ImageView *>())
            ok &= saveWindow(view, out.filePath(QStringLiteral("editor-crop-preview.png")));
        else
            ok = false;
    }
    editor->reject();
    settle(100);

    // The presets: the picker open at the top of the editor, then a preset chosen and one row changed.
    auto *presetEditor = new DetailView(sampleJob(), session, panels, &mainWindow);
    presetEditor->open();
    settle();
    if (auto *picker = presetEditor->findChild<QComboBox *>(QStringLiteral("jobPresetPicker"))) {
        picker->showPopup();
        settle(600);
        const QRect area = presetEditor->frameGeometry();
        const bool saved = QGuiApplication::primaryScreen()
                               ->grabWindow(0, area.x(), area.y(), area.width(), std::min(area.height(), 480))
                               .save(out.filePath(QStringLiteral("editor-preset-picker.png")));
        std::printf("%s %s\n", saved ? "wrote" : "could not write",
                    qPrintable(out.filePath(QStringLiteral("editor-preset-picker.png"))));
        ok &= saved;
        picker->hidePopup();
        const int hevc = picker->findText(QStringLiteral("HEVC MKV — half the size"));
        picker->setCurrentIndex(hevc);
        emit picker->activated(hevc);
        settle();
        if (auto *audio = presetEditor->findChild<SegmentedPicker *>(QStringLiteral("audioCodecPicker")))
            audio->button(indexOfCase(AudioEncoders::aac))->click();
        settle();
        ok &= saveWindow(presetEditor, out.filePath(QStringLiteral("editor-preset-modified.png")));
    } else {
        ok = false;
    }
    presetEditor->reject();
    settle(100);

    auto *oups = new DetailView(std::make_shared<MediaVideo>(), session, panels, &mainWindow);
    oups->open();
    settle();
    ok &= saveWindow(oups, out.filePath(QStringLiteral("editor-oups.png")));
    oups->reject();
    settle(100);

    auto *setup = new Setup(&mainWindow, catalog, session.presets());
    setup->open();
    settle();
    ok &= saveWindow(setup, out.filePath(QStringLiteral("setup.png")));
    setup->reject();
    settle(100);

    // The longer French labels must fit as well.
    installTranslations(QLocale(QLocale::French, QLocale::France));
    auto *french = new DetailView(sampleJob(), session, panels, &mainWindow);
    french->open();
    settle();
    ok &= saveWindow(french, out.filePath(QStringLiteral("editor-fr.png")));
    french->reject();
    settle(100);
    auto *frenchSetup = new Setup(&mainWindow, catalog);
    frenchSetup->open();
    settle();
    ok &= saveWindow(frenchSetup, out.filePath(QStringLiteral("setup-fr.png")));
    frenchSetup->reject();
    settle(100);

    Preferences::clear();
    return ok ? 0 : 1;
}
