#include "kxlocalstorage.h"

#include "kxloggerlite.h"

#include <QAtomicInteger>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

const QString kModule = QStringLiteral("KxLocalStorage");
const QString kDriver = QStringLiteral("QSQLITE");

QString nextConnectionName()
{
    static QAtomicInteger<quint64> counter;
    return QStringLiteral("KxLocalStorage-%1").arg(++counter);
}

bool exec(QSqlQuery& query, const QString& what)
{
    if (query.exec())
        return true;
    KxLoggerLite::writeError(kModule, QStringLiteral("%1 failed: %2").arg(what, query.lastError().text()));
    return false;
}

} // namespace

KxLocalStorage::KxLocalStorage()
    : m_connectionName(nextConnectionName())
{
    // Brings Qt's connection registry and driver loader up before this object
    // is complete, so that a store living in a static is destroyed before them
    // and can still close its connection at process exit.
    QSqlDatabase::contains(m_connectionName);
    QSqlDatabase::isDriverAvailable(kDriver);
}

KxLocalStorage::~KxLocalStorage()
{
    unInit();
}

bool KxLocalStorage::init(const QString& databasePath)
{
    unInit();
    // An empty name would give SQLite's private temporary database, which
    // would look like a working store and lose everything.
    if (databasePath.isEmpty() || QFileInfo(databasePath).isDir())
        return false;
    if (!QSqlDatabase::isDriverAvailable(kDriver)) {
        KxLoggerLite::writeError(kModule, QStringLiteral("SQLite driver missing"));
        return false;
    }

    bool ready = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(kDriver, m_connectionName);
        db.setDatabaseName(databasePath);
        if (db.open()) {
            QSqlQuery query(db);
            query.prepare(QStringLiteral("CREATE TABLE IF NOT EXISTS webstorage ("
                                         "key TEXT PRIMARY KEY NOT NULL, "
                                         "value TEXT NOT NULL, "
                                         "time INTEGER NOT NULL)"));
            // The version write proves that the file can be written, which
            // the table creation does not when the table already exists.
            ready = exec(query, QStringLiteral("create table"))
                    && query.prepare(QStringLiteral("PRAGMA user_version = 1"))
                    && exec(query, QStringLiteral("write version"));
        } else {
            KxLoggerLite::writeError(kModule, QStringLiteral("open %1 failed: %2")
                                                  .arg(databasePath, db.lastError().text()));
        }
        if (!ready)
            db.close();
    }
    if (!ready) {
        QSqlDatabase::removeDatabase(m_connectionName);
        return false;
    }
    m_initialized = true;
    return true;
}

void KxLocalStorage::unInit()
{
    if (!m_initialized)
        return;
    m_initialized = false;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

bool KxLocalStorage::isInitialized() const
{
    return m_initialized;
}

bool KxLocalStorage::webStorageGet(const QString& key, QString& value, qint64& time) const
{
    value.clear();
    time = 0;
    if (!m_initialized || key.isEmpty())
        return false;
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    query.prepare(QStringLiteral("SELECT value, time FROM webstorage WHERE key = ?"));
    query.addBindValue(key);
    if (!exec(query, QStringLiteral("read")) || !query.next())
        return false;
    value = query.value(0).toString();
    time = query.value(1).toLongLong();
    return true;
}

bool KxLocalStorage::webStorageAdd(const QString& key, const QString& value, qint64 time)
{
    if (!m_initialized || key.isEmpty())
        return false;
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    query.prepare(QStringLiteral("INSERT OR REPLACE INTO webstorage (key, value, time) VALUES (?, ?, ?)"));
    query.addBindValue(key);
    // A null string would bind as SQL NULL; an empty value is still a value.
    query.addBindValue(value.isNull() ? QStringLiteral("") : value);
    query.addBindValue(time);
    return exec(query, QStringLiteral("write"));
}
