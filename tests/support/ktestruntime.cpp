#include "ktestruntime.h"

#include <krt/kruntimeconfig.h>
#include <krt/kdcinfoc.h>
#include <vdllite/kxloggerlite.h>

#include <QFile>
#include <QJsonDocument>

#ifndef KZEMBA_TEST_PLUGIN_DIR
#error "KZEMBA_TEST_PLUGIN_DIR must name the folder of the built test plug-ins"
#endif

KTestRuntime::KTestRuntime()
    : m_dir(QDir::tempPath() + QStringLiteral("/kzemba-test-XXXXXX"))
{
    krt::KRuntimeConfig::setRuntimeDir(m_dir.path());
    // Nothing is installed until a test says so: plug-ins live in an empty folder.
    setValue(QStringLiteral("paths/plugins"), QStringLiteral("plugins"));
    // The user's desktop of a test is a folder of its own runtime.
    setValue(QStringLiteral("paths/desktop"), QStringLiteral("desktop"));
}

KTestRuntime::~KTestRuntime()
{
    krt::KRuntimeConfig::setRuntimeDir(QString());
}

void KTestRuntime::setValue(const QString& key, const QVariant& value)
{
    krt::KRuntimeConfig::setValue(key, value);
}

QString KTestRuntime::testPluginFolder(const QString& name)
{
    return QStringLiteral(KZEMBA_TEST_PLUGIN_DIR) + QLatin1Char('/') + name;
}

void KTestRuntime::installPlugin(const QString& name, bool managerKnowsIt)
{
    setValue(QStringLiteral("pluginPaths/") + name, testPluginFolder(name));
    if (!managerKnowsIt)
        return;
    QStringList known = krt::KRuntimeConfig::value(QStringLiteral("pluginManager/plugins")).toStringList();
    if (!known.contains(name))
        known.append(name);
    setValue(QStringLiteral("pluginManager/plugins"), known);
}

static QString unescapeField(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            out.append(c);
            continue;
        }
        const QChar n = text.at(++i);
        if (n == QLatin1Char('n'))
            out.append(QLatin1Char('\n'));
        else if (n == QLatin1Char('r'))
            out.append(QLatin1Char('\r'));
        else if (n == QLatin1Char('t'))
            out.append(QLatin1Char('\t'));
        else
            out.append(n);
    }
    return out;
}

QList<KTestLogRecord> KTestRuntime::logRecords() const
{
    QList<KTestLogRecord> records;
    QFile file(KxLoggerLite::logFilePath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return records;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() != 4)
            continue;
        records.append({fields.at(1), unescapeField(fields.at(2)), unescapeField(fields.at(3))});
    }
    return records;
}

bool KTestRuntime::hasLog(const QString& level, const QString& module, const QString& message) const
{
    const QList<KTestLogRecord> records = logRecords();
    for (const KTestLogRecord& record : records) {
        if (record.level == level && record.module == module && record.message == message)
            return true;
    }
    return false;
}

QList<QJsonObject> KTestRuntime::dcEvents() const
{
    QList<QJsonObject> events;
    QFile file(KDcInfoC::eventsFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return events;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& line : lines) {
        if (!line.trimmed().isEmpty())
            events.append(QJsonDocument::fromJson(line).object());
    }
    return events;
}
