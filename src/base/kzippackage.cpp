#include "kzippackage.h"

#include <QFile>

#include <zip.h>

namespace kzemba {

KZipPackage::KZipPackage(const QString& path)
{
    int code = 0;
    m_zip = zip_open(QFile::encodeName(path).constData(), ZIP_CHECKCONS, &code);
    if (m_zip)
        return;
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    m_error = QStringLiteral("not a readable zip archive: %1").arg(QString::fromUtf8(zip_error_strerror(&error)));
    zip_error_fini(&error);
}

KZipPackage::~KZipPackage()
{
    if (m_zip)
        zip_discard(m_zip);
}

qint64 KZipPackage::indexOf(const QString& name) const
{
    return zip_name_locate(m_zip, name.toUtf8().constData(), ZIP_FL_NOCASE | ZIP_FL_ENC_GUESS);
}

bool KZipPackage::fail(const QString& what)
{
    m_error = QStringLiteral("%1: %2").arg(what, QString::fromUtf8(zip_strerror(m_zip)));
    return false;
}

bool KZipPackage::contains(const QString& name) const
{
    return m_zip && indexOf(name) >= 0;
}

bool KZipPackage::read(const QString& name, QByteArray* data)
{
    const qint64 index = m_zip ? indexOf(name) : -1;
    if (index < 0) {
        m_error = QStringLiteral("the package has no entry %1").arg(name);
        return false;
    }
    zip_file_t* file = zip_fopen_index(m_zip, static_cast<zip_uint64_t>(index), 0);
    if (!file)
        return fail(QStringLiteral("cannot open the entry %1").arg(name));

    // The size in the directory may lie; read in steps and stop at the limit.
    data->clear();
    char buffer[64 * 1024];
    zip_int64_t count = 0;
    while ((count = zip_fread(file, buffer, sizeof buffer)) > 0) {
        if (data->size() + count > kMaxEntrySize) {
            zip_fclose(file);
            m_error = QStringLiteral("the entry %1 is larger than %2 bytes").arg(name).arg(kMaxEntrySize);
            return false;
        }
        data->append(buffer, static_cast<int>(count));
    }
    const bool readAll = count == 0;
    if (!readAll)
        m_error = QStringLiteral("cannot read the entry %1: %2")
                      .arg(name, QString::fromUtf8(zip_error_strerror(zip_file_get_error(file))));
    zip_fclose(file);
    return readAll;
}

bool KZipPackage::write(const QString& name, const QByteArray& data)
{
    if (!m_zip)
        return false;
    m_written.append(data);
    const QByteArray& kept = m_written.constLast();
    zip_source_t* source = zip_source_buffer(m_zip, kept.constData(), static_cast<zip_uint64_t>(kept.size()), 0);
    if (!source)
        return fail(QStringLiteral("cannot buffer the entry %1").arg(name));

    qint64 index = indexOf(name);
    if (index >= 0) {
        if (zip_file_replace(m_zip, static_cast<zip_uint64_t>(index), source, 0) < 0) {
            zip_source_free(source);
            return fail(QStringLiteral("cannot replace the entry %1").arg(name));
        }
    } else {
        index = zip_file_add(m_zip, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            return fail(QStringLiteral("cannot add the entry %1").arg(name));
        }
    }
    if (zip_set_file_compression(m_zip, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 0) < 0)
        return fail(QStringLiteral("cannot compress the entry %1").arg(name));
    return true;
}

bool KZipPackage::commit()
{
    if (!m_zip)
        return false;
    if (zip_close(m_zip) < 0)
        return fail(QStringLiteral("cannot write the package"));
    m_zip = nullptr;
    m_written.clear();
    return true;
}

} // namespace kzemba
