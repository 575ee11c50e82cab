#include "model/JobResult.h"

#include <QCoreApplication>
#include <QFileInfo>

QString JobResult::statusText(Status status)
{
    switch (status) {
    case Status::None:
        return {};
    case Status::Succeeded:
        return QCoreApplication::translate("JobResult", "Succeeded");
    case Status::Failed:
        return QCoreApplication::translate("JobResult", "Failed");
    case Status::NotRun:
        return QCoreApplication::translate("JobResult", "Not run");
    case Status::Stopped:
        return QCoreApplication::translate("JobResult", "Stopped");
    case Status::Interrupted:
        return QCoreApplication::translate("JobResult", "Interrupted");
    case Status::Incomplete:
        return QCoreApplication::translate("JobResult", "Incomplete");
    }
    return {};
}

bool JobResult::isRetryable() const
{
    switch (status) {
    case Status::Failed:
    case Status::Stopped:
    case Status::Interrupted:
    case Status::Incomplete:
        return true;
    case Status::None:
    case Status::Succeeded:
    case Status::NotRun:
        break;
    }
    return false;
}

ResultReason JobResult::writtenNote() const
{
    if (writtenPath.isEmpty())
        return {};
    return {ResultReason::Kind::WrittenTo, {QFileInfo(writtenPath).fileName()}, {renameCause}};
}
