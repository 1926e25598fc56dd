#ifndef KZEMBA_TESTS_KTESTZIP_H
#define KZEMBA_TESTS_KTESTZIP_H

#include <QByteArray>
#include <QList>
#include <QString>

/// One entry of a zip archive as a test builds or finds it.
struct KTestZipEntry
{
    QString name;
    QByteArray data;
    bool stored = false; // kept uncompressed rather than deflated
};

/// Writes and reads whole zip archives with libzip, independently of the code
/// under test.
class KTestZip
{
public:
    static bool write(const QString& path, const QList<KTestZipEntry>& entries);
    // Every entry in archive order; false when libzip's consistency check refuses the
    // archive or an entry cannot be read.
    static bool read(const QString& path, QList<KTestZipEntry>* entries, QString* error);
    static QByteArray entry(const QList<KTestZipEntry>& entries, const QString& name);
};

#endif
