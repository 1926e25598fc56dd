#include "kzembacombconfig.h"

#include <krt/kruntimeconfig.h>
#include <vdllite/jsonhelper.h>

#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QMetaMethod>
#include <QSet>

#include <algorithm>

namespace {
constexpr qint64 kMaxConfigBytes = 16 * 1024 * 1024;
}

KZembaCombConfig::KZembaCombConfig(QObject* parent)
    : QObject(parent)
    , m_watcher(new QFileSystemWatcher(this))
{
    // An editor or an installer may replace the file, or create it later: watch the folder too.
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &KZembaCombConfig::reload);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &KZembaCombConfig::reload);
}

QString KZembaCombConfig::filePath()
{
    return krt::KRuntimeConfig::pathValue(QStringLiteral("paths/fpcCombConfig"),
                                          krt::KRuntimeConfig::runtimeDir() + QStringLiteral("/fpccombconfig.json"));
}

void KZembaCombConfig::ensureLoaded()
{
    if (m_path == filePath())
        return;
    if (!m_watcher->files().isEmpty())
        m_watcher->removePaths(m_watcher->files());
    if (!m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->directories());
    m_path = filePath();
    m_config = QJsonObject();
    m_ready = false;
    m_watcher->addPath(QFileInfo(m_path).absolutePath());
    reload();
}

void KZembaCombConfig::reload()
{
    QJsonObject config;
    QFile file(m_path);
    const bool readable = file.open(QIODevice::ReadOnly);
    if (readable) {
        if (!m_watcher->files().contains(m_path))
            m_watcher->addPath(m_path);
        config = JsonHelper::convertStringToQJson(QString::fromUtf8(file.read(kMaxConfigBytes)));
    }
    if (readable && config.isEmpty() && file.size() > 0 && !m_ready)
        return; // not a JSON object (or half written): wait for the next change
    m_ready = readable;
    if (config == m_config)
        return;

    QSet<QString> changed;
    for (auto it = config.constBegin(); it != config.constEnd(); ++it) {
        if (m_config.value(it.key()) != it.value())
            changed.insert(it.key());
    }
    for (auto it = m_config.constBegin(); it != m_config.constEnd(); ++it) {
        if (!config.contains(it.key()))
            changed.insert(it.key());
    }
    m_config = config;

    const QList<Watcher> watchers = m_watchers;
    for (const QString& key : qAsConst(changed)) {
        const QStringList parts = key.split(QLatin1Char('/'));
        bool projectOk = true;
        bool groupOk = false;
        const qint64 project = parts.size() == 2 ? parts.first().toLongLong(&projectOk) : 0;
        const qint64 group = parts.last().toLongLong(&groupOk);
        if (parts.size() > 2 || !projectOk || !groupOk)
            continue;
        for (const Watcher& watcher : watchers) {
            if (watcher.group != group || !watcher.receiver)
                continue;
            // SLOT() signatures carry a leading code digit.
            const QByteArray signature = QMetaObject::normalizedSignature(watcher.slot.constData() + 1);
            const int index = watcher.receiver->metaObject()->indexOfMethod(signature.constData());
            if (index >= 0) {
                watcher.receiver->metaObject()->method(index).invoke(watcher.receiver, Qt::DirectConnection,
                                                                     Q_ARG(qint64, project), Q_ARG(qint64, group));
            }
        }
    }
}

QJsonObject KZembaCombConfig::group(qint64 moduleGroupId)
{
    ensureLoaded();
    return m_config.value(QString::number(moduleGroupId)).toObject();
}

QJsonObject KZembaCombConfig::group(qint64 projectId, qint64 moduleGroupId)
{
    ensureLoaded();
    return m_config.value(QStringLiteral("%1/%2").arg(projectId).arg(moduleGroupId)).toObject();
}

void KZembaCombConfig::watch(qint64 moduleGroupId, QObject* receiver, const char* slot)
{
    ensureLoaded();
    m_watchers.erase(std::remove_if(m_watchers.begin(), m_watchers.end(),
                                    [](const Watcher& watcher) { return !watcher.receiver; }),
                     m_watchers.end());
    if (receiver && slot && *slot)
        m_watchers.append({moduleGroupId, receiver, QByteArray(slot)});
}

bool KZembaCombConfig::isReady()
{
    ensureLoaded();
    return m_ready;
}
