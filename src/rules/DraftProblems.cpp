#include "rules/DraftProblems.h"

#include "model/MediaVideo.h"
#include "rules/Crop.h"
#include "rules/CropPresets.h"
#include "rules/JobRules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

// Messages of the checks; lupdate files them under this context.
struct DraftProblemsText
{
    Q_DECLARE_TR_FUNCTIONS(DraftProblems)
};

QString destinationProblem(const QString &destination)
{
    if (destination.trimmed().isEmpty())
        return DraftProblemsText::tr("A destination is needed.");
    if (QDir::isRelativePath(destination))
        return DraftProblemsText::tr("The destination needs a whole path, from the top folder.");
    const QFileInfo file(destination);
    if (file.isDir())
        return DraftProblemsText::tr("%1 is a folder: the destination needs a file name.")
            .arg(QDir::toNativeSeparators(destination));
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir())
        return DraftProblemsText::tr("The folder %1 does not exist.")
            .arg(QDir::toNativeSeparators(folder.filePath()));
    if (!folder.isWritable())
        return DraftProblemsText::tr("The folder %1 cannot be written to.")
            .arg(QDir::toNativeSeparators(folder.filePath()));
    return {};
}

QString cropProblem(const MediaVideo &draft)
{
    // Only a typed crop can be wrong, and only on a picture that is encoded (a copy is never cropped).
    // Empty text crops nothing; "-1" is found when the job runs.
    const QString &text = draft.videoCrop;
    if (draft.cropValue != ManualCrop || draft.videoEncoder == VideoEncoders::copy || text.isEmpty() ||
        text == QLatin1String("-1"))
        return {};
    const std::optional<CropNumbers> crop = parseCrop(text);
    if (!crop)
        return DraftProblemsText::tr("The crop needs four whole numbers: width:height:x:y.");
    // Measured as the command measures it: on the picture with square pixels. Unknown sizes check nothing.
    const double factor = draft.videoPixelAspectRatio > 0 ? draft.videoPixelAspectRatio : 1.0;
    const int width = qRound(draft.videoWidth * factor);
    if (width <= 0 || draft.videoHeight <= 0 || cropFits(crop->rect(), width, draft.videoHeight))
        return {};
    return DraftProblemsText::tr("The crop %1 does not fit in the picture (%2×%3).")
        .arg(text)
        .arg(width)
        .arg(draft.videoHeight);
}

QString subtitleProblem(const MediaVideo &draft)
{
    const QString &external = draft.subtitleExternal;
    if (external.isEmpty())
        return {};
    const QFileInfo file(external);
    if (file.isDir())
        return DraftProblemsText::tr("“%1” is a folder, not a subtitle file.")
            .arg(QDir::toNativeSeparators(external));
    if (file.isFile() && !file.isReadable())
        return DraftProblemsText::tr("The subtitle file “%1” cannot be read.")
            .arg(QDir::toNativeSeparators(external));
    return checkSubtitles(draft).reason;
}

} // namespace

QList<DraftProblem> draftProblems(const MediaVideo &draft)
{
    using F = DraftProblem::Field;
    QList<DraftProblem> problems;
    const auto add = [&problems](F field, const QString &message) {
        if (!message.isEmpty())
            problems.append({field, message});
    };
    add(F::Destination, destinationProblem(draft.destination));
    add(F::Crop, cropProblem(draft));
    add(F::SubtitleExternal, subtitleProblem(draft));
    return problems;
}

QString draftProblem(const MediaVideo &draft, DraftProblem::Field field)
{
    for (const DraftProblem &problem : draftProblems(draft)) {
        if (problem.field == field)
            return problem.message;
    }
    return {};
}
