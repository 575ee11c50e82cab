#include "model/JobResult.h"

#include <QCoreApplication>

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
    }
    return {};
}
