#ifndef KZEMBA_BASE_KZIPPACKAGE_H
#define KZEMBA_BASE_KZIPPACKAGE_H

#include <QByteArray>
#include <QList>
#include <QString>

struct zip;

namespace kzemba {

/// A zip-based document package opened for editing in place with libzip. Entries
/// that are not written are kept as they are stored (order, compression and
/// bytes); written entries replace the old ones at their place, new ones are
/// added at the end. Nothing changes on disk until commit(). Entry names are
/// matched without regard to case, as package part names are.
class KZipPackage
{
public:
    // Largest entry read() accepts, so that a crafted archive cannot make us inflate gigabytes.
    static constexpr qint64 kMaxEntrySize = 16 * 1024 * 1024;

    explicit KZipPackage(const QString& path);
    ~KZipPackage();
    KZipPackage(const KZipPackage&) = delete;
    KZipPackage& operator=(const KZipPackage&) = delete;

    bool isOpen() const { return m_zip != nullptr; }
    QString errorString() const { return m_error; }

    bool contains(const QString& name) const;
    bool read(const QString& name, QByteArray* data);
    // Replaces the entry `name`, or adds it, deflated.
    bool write(const QString& name, const QByteArray& data);
    // Writes the changes to the file; the package is closed afterwards.
    bool commit();

private:
    qint64 indexOf(const QString& name) const;
    bool fail(const QString& what);

    zip* m_zip = nullptr;
    // libzip reads written data only at commit(), so the buffers live until then.
    QList<QByteArray> m_written;
    QString m_error;
};

} // namespace kzemba

#endif
