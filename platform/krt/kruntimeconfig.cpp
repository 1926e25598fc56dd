#include "kruntimeconfig.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QSettings>

#include <sys/stat.h>

#include <memory>

namespace krt {

namespace {

// What a rewrite of the file changes: a replacement (QSettings saves through a rename) gets a
// new inode, an edit in place a new size or change time, both to the nanosecond.
struct FileStamp
{
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified {};
    timespec changed {};

    static FileStamp of(const QByteArray& nativePath)
    {
        FileStamp stamp;
        struct stat info {};
        if (::stat(nativePath.constData(), &info) != 0)
            return stamp;
        stamp.exists = true;
        stamp.device = info.st_dev;
        stamp.inode = info.st_ino;
        stamp.size = info.st_size;
        stamp.modified = info.st_mtim;
        stamp.changed = info.st_ctim;
        return stamp;
    }

    bool operator==(const FileStamp& other) const
    {
        return exists == other.exists && device == other.device && inode == other.inode && size == other.size
            && modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec
            && changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
    }
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

// Per thread: how many snapshots are open, and whether the file was compared within them.
thread_local int t_snapshotDepth = 0;
thread_local bool t_snapshotChecked = false;

// The configuration file read once and kept, with the stamp it was read at. Every access
// compares the file's stamp first (one stat), so a rewrite by anyone is seen by the next read.
struct LoadedConfig
{
    QMutex mutex;
    QString overrideDir;
    // overrideDir's file, made once: every read needs the path.
    QString overrideFile;
    QString path;
    // `path` in the file system's encoding, made once: the stamp is compared on every call.
    QByteArray nativePath;
    FileStamp stamp;
    std::unique_ptr<QSettings> settings;
    quint64 generation = 0;

    // Points `settings` at the current file, read afresh when the file changed. Call locked.
    QSettings& current(const QString& filePath)
    {
        if (t_snapshotChecked && settings && filePath == path)
            return *settings;
        if (t_snapshotDepth > 0)
            t_snapshotChecked = true;
        if (!settings || filePath != path) {
            path = filePath;
            nativePath = QFile::encodeName(filePath);
            // The stamp is taken before the read: a rewrite during it shows on the next check.
            stamp = FileStamp::of(nativePath);
            settings = std::make_unique<QSettings>(filePath, QSettings::IniFormat);
            ++generation;
            return *settings;
        }
        const FileStamp now = FileStamp::of(nativePath);
        if (now != stamp) {
            settings->sync();
            stamp = now;
            ++generation;
        }
        return *settings;
    }

    // Call locked.
    QString runtimeDir() const
    {
        if (!overrideDir.isEmpty())
            return overrideDir;
        const QString fromEnv = qEnvironmentVariable(KRuntimeConfig::environmentVariable());
        if (!fromEnv.isEmpty())
            return QDir(fromEnv).absolutePath();
        return QDir::homePath() + QStringLiteral("/.kzemba");
    }

    // Call locked.
    QString filePath() const
    {
        return overrideDir.isEmpty() ? fileIn(runtimeDir()) : overrideFile;
    }

    static QString fileIn(const QString& dir) { return dir + QStringLiteral("/runtime.ini"); }

    // After our own write the file is what `settings` holds.
    void written()
    {
        settings->sync();
        stamp = FileStamp::of(nativePath);
        ++generation;
    }
};

// Never destroyed: objects that log or read the configuration from their own destructors at
// exit still find it. Every write is synced at once, so nothing is left to save.
LoadedConfig& loaded()
{
    static LoadedConfig* config = new LoadedConfig;
    return *config;
}

} // namespace

const char* KRuntimeConfig::environmentVariable()
{
    return "KZEMBA_RUNTIME";
}

QString KRuntimeConfig::runtimeDir()
{
    QMutexLocker lock(&loaded().mutex);
    return loaded().runtimeDir();
}

void KRuntimeConfig::setRuntimeDir(const QString& dir)
{
    LoadedConfig& config = loaded();
    QMutexLocker lock(&config.mutex);
    config.overrideDir = dir.isEmpty() ? QString() : QDir(dir).absolutePath();
    config.overrideFile = dir.isEmpty() ? QString() : LoadedConfig::fileIn(config.overrideDir);
}

QString KRuntimeConfig::configFilePath()
{
    QMutexLocker lock(&loaded().mutex);
    return loaded().filePath();
}

QVariant KRuntimeConfig::value(const QString& key, const QVariant& defaultValue)
{
    LoadedConfig& config = loaded();
    QMutexLocker lock(&config.mutex);
    return config.current(config.filePath()).value(key, defaultValue);
}

void KRuntimeConfig::setValue(const QString& key, const QVariant& value)
{
    LoadedConfig& config = loaded();
    QMutexLocker lock(&config.mutex);
    config.current(config.filePath()).setValue(key, value);
    config.written();
}

void KRuntimeConfig::remove(const QString& key)
{
    LoadedConfig& config = loaded();
    QMutexLocker lock(&config.mutex);
    config.current(config.filePath()).remove(key);
    config.written();
}

quint64 KRuntimeConfig::generation()
{
    LoadedConfig& config = loaded();
    QMutexLocker lock(&config.mutex);
    config.current(config.filePath());
    return config.generation;
}

KRuntimeConfig::Snapshot::Snapshot()
{
    ++t_snapshotDepth;
}

KRuntimeConfig::Snapshot::~Snapshot()
{
    if (--t_snapshotDepth == 0)
        t_snapshotChecked = false;
}

QString KRuntimeConfig::pathValue(const QString& key, const QString& defaultPath)
{
    const QString configured = value(key).toString();
    if (configured.isEmpty())
        return QDir::cleanPath(defaultPath);
    return QDir::cleanPath(QDir(runtimeDir()).absoluteFilePath(configured));
}

} // namespace krt
