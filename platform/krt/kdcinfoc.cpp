#include "kdcinfoc.h"

#include "krt.h"
#include "kruntimeconfig.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

KDcInfoC* KDcInfoC::instance()
{
    static KDcInfoC service;
    if (!krt::KRuntimeConfig::value(QStringLiteral("dc/enabled"), true).toBool())
        return nullptr;
    return &service;
}

QString KDcInfoC::eventsFilePath()
{
    return krt::dirs::officeData() + QStringLiteral("/dc/events.jsonl");
}

void KDcInfoC::postGeneralEvent(const QString& name, const QHash<QString, QString>& params, uint arg1, uint arg2,
                                KDcProbability probability, bool realtime)
{
    QJsonObject values;
    for (auto it = params.begin(); it != params.end(); ++it)
        values.insert(it.key(), it.value());
    QJsonObject event;
    event.insert(QStringLiteral("time"), QDateTime::currentMSecsSinceEpoch());
    event.insert(QStringLiteral("name"), name);
    event.insert(QStringLiteral("params"), values);
    event.insert(QStringLiteral("arg1"), static_cast<qint64>(arg1));
    event.insert(QStringLiteral("arg2"), static_cast<qint64>(arg2));
    event.insert(QStringLiteral("probability"), probability);
    event.insert(QStringLiteral("realtime"), realtime);

    const QString path = eventsFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.write(QJsonDocument(event).toJson(QJsonDocument::Compact) + '\n');
}
