#include "ktestzip.h"

#include <QFile>

#include <zip.h>

bool KTestZip::write(const QString& path, const QList<KTestZipEntry>& entries)
{
    int code = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive)
        return false;
    for (const KTestZipEntry& entry : entries) {
        zip_source_t* source = zip_source_buffer(archive, entry.data.constData(), entry.data.size(), 0);
        const zip_int64_t index =
            source ? zip_file_add(archive, entry.name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            zip_source_free(source);
            zip_discard(archive);
            return false;
        }
        zip_set_file_compression(archive, index, entry.stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
    }
    // The entries' buffers are read here, while they still live.
    if (zip_close(archive) < 0) {
        zip_discard(archive);
        return false;
    }
    return true;
}

bool KTestZip::read(const QString& path, QList<KTestZipEntry>* entries, QString* error)
{
    int code = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!archive) {
        *error = QStringLiteral("libzip refuses the archive (error %1)").arg(code);
        return false;
    }
    entries->clear();
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_file_t* file = zip_stat_index(archive, i, 0, &stat) == 0 ? zip_fopen_index(archive, i, 0) : nullptr;
        if (!file) {
            *error =
                QStringLiteral("entry %1 cannot be opened: %2").arg(i).arg(QString::fromUtf8(zip_strerror(archive)));
            zip_discard(archive);
            return false;
        }
        KTestZipEntry entry;
        entry.name = QString::fromUtf8(stat.name);
        entry.stored = stat.comp_method == ZIP_CM_STORE;
        entry.data.resize(static_cast<int>(stat.size));
        const zip_int64_t got = zip_fread(file, entry.data.data(), stat.size);
        zip_fclose(file);
        if (got != static_cast<zip_int64_t>(stat.size)) {
            *error = QStringLiteral("entry %1 cannot be read").arg(entry.name);
            zip_discard(archive);
            return false;
        }
        entries->append(entry);
    }
    zip_discard(archive);
    return true;
}

QByteArray KTestZip::entry(const QList<KTestZipEntry>& entries, const QString& name)
{
    for (const KTestZipEntry& entry : entries) {
        if (entry.name == name)
            return entry.data;
    }
    return QByteArray();
}
