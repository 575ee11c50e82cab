#include "cli/Commands.h"

#include "rules/ShellQuote.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

namespace {

void printUsage(std::FILE *stream)
{
    std::fputs(
        "Usage: tavrix-cli COMMAND [OPTIONS] ...\n"
        "\n"
        "Commands:\n"
        "  probe [SETTINGS] FILE...       one JSON object per job, one per line\n"
        "  command [SETTINGS] FILE...     the encoder command line of each job\n"
        "  encode [SETTINGS] FILE|DIR...  convert the files, one after another\n"
        "         --jobs N                N at once\n"
        "         --hosts FILE            spread over the ssh logins in FILE, through GNU parallel\n"
        "  queue list|add|run|clear       the job list of the window (see 'queue --help')\n"
        "  defaults                       list the stored defaults\n"
        "  defaults KEY [VALUE]           print or set one stored default\n"
        "  defaults --reset               clear the stored defaults\n"
        "  encoders                       each encoder, \"available\" or \"unavailable: REASON\"\n"
        "  compare SOURCE OUTPUT          how close OUTPUT is to SOURCE: SSIM, PSNR and size\n"
        "  watch [SETTINGS] DIR...        convert each video file that appears in DIR once it is\n"
        "                                 complete (see 'watch --help')\n"
        "  presets list|show|save|export|import|rename|delete\n"
        "                                 named settings (see 'presets --help'); use one with\n"
        "                                 --use-preset NAME|FILE on probe, command, encode, queue add\n"
        "\n"
        "Encoders: libx264 and libx265 are software encoders. h264_vaapi and hevc_vaapi encode on\n"
        "the graphics card through /dev/dri/renderD* (the first one, or the \"vaapiDevice\" default);\n"
        "h264_nvenc and hevc_nvenc need an NVIDIA card and driver; h264_qsv and hevc_qsv an Intel\n"
        "card with oneVPL or Media SDK. h264_videotoolbox and hevc_videotoolbox exist on macOS only.\n"
        "libsvtav1 (AV1) and libvpx-vp9 (VP9) are software encoders too, slower and smaller.\n"
        "Audio: aac, libmp3lame, libopus, flac (lossless, no bitrate), ac3, eac3, or copy.\n"
        "A job whose encoder cannot be used is refused with the reason ffmpeg gave.\n"
        "\n"
        "Containers: mp4, mkv (holds everything) and webm (VP9 or AV1 video, Opus or Vorbis audio).\n"
        "A stream the container cannot hold is refused before the run, with the reason.\n"
        "\n"
        "Quality: --quality N encodes at a constant quality instead of a bitrate (lower is better):\n"
        "0 to 63 for libsvtav1 and libvpx-vp9 (-crf), 0 to 51 for the others: -crf for libx264 and\n"
        "libx265, -qp for VAAPI, -cq for NVENC, -global_quality for QSV. The VideoToolbox encoders have\n"
        "no constant quality here; give them a bitrate.\n"
        "\n"
        "Run 'tavrix-cli COMMAND --help' for the options of a command.\n",
        stream);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Tavrix"));
    QCoreApplication::setApplicationName(QStringLiteral("tavrix-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVRIX_VERSION));

    QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2) {
        printUsage(stderr);
        return ExitUsage;
    }
    const QString command = arguments.takeAt(1);
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        printUsage(stdout);
        return ExitOk;
    }
    if (command == QLatin1String("--version") || command == QLatin1String("-v")) {
        std::printf("tavrix-cli %s\n", TAVRIX_VERSION);
        return ExitOk;
    }
    if (command == QLatin1String("probe"))
        return probeCommand(arguments);
    if (command == QLatin1String("command"))
        return commandCommand(arguments);
    if (command == QLatin1String("defaults"))
        return defaultsCommand(arguments);
    if (command == QLatin1String("encode"))
        return encodeCommand(arguments);
    if (command == QLatin1String("queue"))
        return queueCommand(arguments);
    if (command == QLatin1String("encoders"))
        return encodersCommand(arguments);
    if (command == QLatin1String("presets"))
        return presetsCommand(arguments);
    if (command == QLatin1String("compare"))
        return compareCommand(arguments);
    if (command == QLatin1String("watch"))
        return watchCommand(arguments);

    std::fprintf(stderr, "tavrix-cli: unknown command '%s'\n", qPrintable(printableText(command)));
    printUsage(stderr);
    return ExitUsage;
}
