#include "FuzzSupport.h"

#include <QStringView>

namespace {

int &reportedRecordCount()
{
    static int count = -1;
    return count;
}

void keepRecordCountOnly(QtMsgType, const QMessageLogContext &, const QString &message)
{
    static const QString countLabel = QStringLiteral("总词条数: ");
    if (message.startsWith(countLabel))
        reportedRecordCount() = QStringView(message).mid(countLabel.size()).toInt();
}

} // namespace

void silenceDebugLog()
{
    qInstallMessageHandler(keepRecordCountOnly);
}

int lastReportedRecordCount()
{
    return reportedRecordCount();
}

void forgetLastReport()
{
    reportedRecordCount() = -1;
}
