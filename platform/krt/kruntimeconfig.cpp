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

    static FileStamp of(const QString& path)
    {
        FileStamp stamp;
        struct stat info {};
        if (::stat(QFile::encodeName(path).constData(), &info) != 0)
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
    QString path;
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
        const FileStamp now = FileStamp::of(filePath);
        if (!settings || filePath != path) {
            settings = std::make_unique<QSettings>(filePath, QSettings::IniFormat);
            path = filePath;
            stamp = now;
            ++generation;
        } else if (now != stamp) {
            settings->sync();
            stamp = now;
            ++generation;
        }
        return *settings;
    }

    // After our own write the file is what `settings` holds.
    void written()
    {
        settings->sync();
        stamp = FileStamp::of(path);
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
    {
        QMutexLocker lock(&loaded().mutex);
        if (!loaded().overrideDir.isEmpty())
            return loaded().overrideDir;
    }
    const QString fromEnv = qEnvironmentVariable(environmentVariable());
    if (!fromEnv.isEmpty())
        return QDir(fromEnv).absolutePath();
    return QDir::homePath() + QStringLiteral("/.kzemba");
}

void KRuntimeConfig::setRuntimeDir(const QString& dir)
{
    QMutexLocker lock(&loaded().mutex);
    loaded().overrideDir = dir.isEmpty() ? QString() : QDir(dir).absolutePath();
}

QString KRuntimeConfig::configFilePath()
{
    return runtimeDir() + QStringLiteral("/runtime.ini");
}

QVariant KRuntimeConfig::value(const QString& key, const QVariant& defaultValue)
{
    const QString path = configFilePath();
    LoadedConfig& config = loaded();
    QMutexLocker lock(&config.mutex);
    return config.current(path).value(key, defaultValue);
}

void KRuntimeConfig::setValue(const QString& key, const QVariant& value)
{
    const QString path = configFilePath();
    LoadedConfig& config = loaded();
    QMutexLocker lock(&config.mutex);
    config.current(path).setValue(key, value);
    config.written();
}

void KRuntimeConfig::remove(const QString& key)
{
    const QString path = configFilePath();
    LoadedConfig& config = loaded();
    QMutexLocker lock(&config.mutex);
    config.current(path).remove(key);
    config.written();
}

quint64 KRuntimeConfig::generation()
{
    const QString path = configFilePath();
    LoadedConfig& config = loaded();
    QMutexLocker lock(&config.mutex);
    config.current(path);
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
