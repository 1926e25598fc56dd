#ifndef KZEMBA_PLUGINS_KZEMBACOMBCONFIG_H
#define KZEMBA_PLUGINS_KZEMBACOMBCONFIG_H

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPointer>

class QFileSystemWatcher;

/// The combined configuration: one JSON file, "fpccombconfig.json" in the
/// runtime folder (or the runtime configuration's "paths/fpcCombConfig"),
/// whose object maps "<group>" and "<project>/<group>" to each group's
/// configuration object. The file is watched; when it changes, every watcher of
/// a group whose configuration changed gets its slot called with the project
/// (0 for the plain group) and the group.
class KZembaCombConfig : public QObject
{
    Q_OBJECT
public:
    explicit KZembaCombConfig(QObject* parent = nullptr);

    static QString filePath();

    QJsonObject group(qint64 moduleGroupId);
    QJsonObject group(qint64 projectId, qint64 moduleGroupId);
    void watch(qint64 moduleGroupId, QObject* receiver, const char* slot);
    // True once the file has been read as a JSON object.
    bool isReady();

private:
    struct Watcher
    {
        qint64 group;
        QPointer<QObject> receiver;
        QByteArray slot;
    };

    // Follows the runtime folder, which a host may change, and reads the file when needed.
    void ensureLoaded();
    void reload();

    QFileSystemWatcher* m_watcher;
    QString m_path;
    QJsonObject m_config;
    bool m_ready = false;
    QList<Watcher> m_watchers;
};

#endif
