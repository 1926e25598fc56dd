#ifndef KZEMBA_VDLLITE_KXLOCALSTORAGE_H
#define KZEMBA_VDLLITE_KXLOCALSTORAGE_H

#include "kzembaplatform_export.h"

#include <QString>
#include <QtGlobal>

/// The web-view framework's persistent key-value store: one SQLite database
/// file holding text values by text key, each with the time it was written
/// (by convention milliseconds since the epoch; the store keeps whatever the
/// caller gives). Adding under an existing key replaces the entry. Each
/// instance has its own database connection, so several stores, also on one
/// file, can live side by side; use an instance from the thread that
/// initialised it. Every operation reports failure as `false`, including use
/// before `init` and a database that cannot be opened or written.
class KZEMBAPLATFORM_EXPORT KxLocalStorage
{
public:
    KxLocalStorage();
    ~KxLocalStorage();
    KxLocalStorage(const KxLocalStorage&) = delete;
    KxLocalStorage& operator=(const KxLocalStorage&) = delete;

    // Opens (creating when missing) the database file; the folder must exist.
    // Closes a database opened before.
    bool init(const QString& databasePath);
    void unInit();
    bool isInitialized() const;

    // Returns whether an entry exists; clears `value` and `time` when none does.
    bool webStorageGet(const QString& key, QString& value, qint64& time) const;
    bool webStorageAdd(const QString& key, const QString& value, qint64 time);

private:
    QString m_connectionName;
    bool m_initialized = false;
};

#endif
