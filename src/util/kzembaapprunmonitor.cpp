#include "kzembaapprunmonitor.h"

#include <krt/kdcinfoc.h>
#include <krt/kdcinfocdetail.h>
#include <krt/kpluginssettings.h>

#include <QDateTime>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QUuid>

namespace kzemba {

const char KZembaAppRunMonitor::kEventName[] = "vas_apprun_monitor";

namespace {

const QString kSessionId = QStringLiteral("sessionid");
const QString kLastOperation = QStringLiteral("lastoperation");
const QString kTimestamp = QStringLiteral("timestamp");

void send(const QHash<QString, QString>& event)
{
    if (!KZembaAppRunMonitor::isAppRunReportEnabled())
        return;
    if (KDcInfoC* collector = KDcInfoC::instance())
        collector->postGeneralEvent(QLatin1String(KZembaAppRunMonitor::kEventName), event, 0, 0, 1);
}

QString isSuccess(const QString& result)
{
    return result.startsWith(QLatin1String("failed")) ? QStringLiteral("0") : QStringLiteral("1");
}

} // namespace

bool KZembaAppRunMonitor::readAppRunReportSetting()
{
    static QMutex settingsMutex;
    bool needReport = false;
    {
        QMutexLocker lock(&settingsMutex);
        krt::KPluginsSettings settings;
        settings.beginGroup(QStringLiteral("kappmgr"));
        needReport = settings.value(QStringLiteral("isNeedReport"), false).toBool();
    }
    if (needReport)
        return true;
    const QString uuid = KDcInfoCDetail::getUuid();
    return !uuid.isEmpty() && uuid.endsWith(QLatin1Char('4'));
}

bool KZembaAppRunMonitor::isAppRunReportEnabled()
{
    static const bool enabled = readAppRunReportSetting();
    return enabled;
}

void KZembaAppRunMonitor::postEvent(const QString& appId, const QString& operation, const QString& result,
                                    const QString& source)
{
    if (operation.isEmpty() || result.isEmpty() || appId.isEmpty())
        return;
    send({{QStringLiteral("appid"), appId},
          {kSessionId, QUuid::createUuid().toString()},
          {kLastOperation, QString()},
          {QStringLiteral("operation"), operation},
          {QStringLiteral("result"), result},
          {kTimestamp, QString::number(QDateTime::currentMSecsSinceEpoch())},
          {QStringLiteral("timeconsumption"), QString()},
          {QStringLiteral("issuccess"), QString()},
          {QStringLiteral("source"), source}});
}

void KZembaAppRunMonitor::postStepEvent(QVariantMap& state, const QString& appId, const QString& operation,
                                        const QString& result, const QString& source)
{
    if (operation.isEmpty() || result.isEmpty())
        return;
    const QString app = appId.isEmpty() ? state.value(QStringLiteral("app_id")).toString() : appId;
    if (app.isEmpty())
        return;
    if (!state.contains(kSessionId))
        state.insert(kSessionId, QUuid::createUuid().toString());

    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const qint64 elapsed = state.contains(kTimestamp) ? now - state.value(kTimestamp).toLongLong() : 0;
    send({{QStringLiteral("appid"), app},
          {kSessionId, state.value(kSessionId).toString()},
          {kLastOperation, state.value(kLastOperation).toString()},
          {QStringLiteral("operation"), operation},
          {QStringLiteral("result"), result},
          {kTimestamp, QString::number(now)},
          {QStringLiteral("timeconsumption"), QString::number(elapsed)},
          {QStringLiteral("issuccess"), isSuccess(result)},
          {QStringLiteral("source"), source}});
    state.insert(kLastOperation, operation);
    state.insert(kTimestamp, QVariant::fromValue<qint64>(now));
}

} // namespace kzemba
