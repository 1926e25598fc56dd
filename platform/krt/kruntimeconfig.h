#ifndef KZEMBA_KRT_KRUNTIMECONFIG_H
#define KZEMBA_KRT_KRUNTIMECONFIG_H

#include "kzembaplatform_export.h"

#include <QString>
#include <QVariant>

namespace krt {

/// The one runtime configuration that stands in for what the suite would
/// configure: a folder (named by the environment variable KZEMBA_RUNTIME, or set
/// by a host's command line, else "~/.kzemba") holding "runtime.ini". Folders,
/// domains, identity values, product switches, configuration values and known
/// plug-ins are all read from there, with defaults inside the folder. The file
/// is read once and kept; each access checks the file's stamp (inode, size and
/// nanosecond times) and reads it again when anyone rewrote it.
class KZEMBAPLATFORM_EXPORT KRuntimeConfig
{
public:
    static const char* environmentVariable();
    static QString runtimeDir();
    // Overrides the environment for the rest of the process (tools' --runtime, tests).
    static void setRuntimeDir(const QString& dir);
    static QString configFilePath();

    static QVariant value(const QString& key, const QVariant& defaultValue = QVariant());
    static void setValue(const QString& key, const QVariant& value);
    static void remove(const QString& key);
    // A number that changes whenever what readers see may have changed: the file was read
    // again, written, or another runtime folder was chosen. Lets callers keep derived values.
    static quint64 generation();
    // A folder from the configuration; relative values are taken from the runtime folder.
    static QString pathValue(const QString& key, const QString& defaultPath);

    // While one lives on a thread, that thread's reads compare the file's stamp only once:
    // a unit of work (one page call) sees one state of the file, and pays one stat for it
    // instead of one per value. Snapshots nest; writes are seen at once as always.
    class KZEMBAPLATFORM_EXPORT Snapshot
    {
    public:
        Snapshot();
        ~Snapshot();
        Snapshot(const Snapshot&) = delete;
        Snapshot& operator=(const Snapshot&) = delete;
    };
};

} // namespace krt

#endif
