#include "kxloggerlite.h"

#include "krt/krt.h"
#include "krt/kruntimeconfig.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

#include <sys/stat.h>

#include <cstdlib>

namespace {

// Lines wait in memory up to this many bytes unless a warning or an error comes first.
constexpr int bufferLimit = 64 * 1024;

// The open log file of the process. It is created on first use and never destroyed, so
// that objects logging from their own destructors at exit still find it.
class LogSink
{
public:
    static LogSink& instance()
    {
        static LogSink* sink = [] {
            auto* created = new LogSink;
            std::atexit([] { LogSink::instance().close(); });
            return created;
        }();
        return *sink;
    }

    void append(const QByteArray& line, bool urgent)
    {
        QMutexLocker lock(&m_mutex);
        follow();
        if (!m_file.isOpen())
            return;
        if (m_size > 0 && m_size + line.size() > m_maxSize)
            rotate();
        m_buffer.append(line);
        m_size += line.size();
        if (urgent || m_closed || m_buffer.size() >= bufferLimit)
            writeOut();
    }

    void flush()
    {
        QMutexLocker lock(&m_mutex);
        writeOut();
    }

private:
    // At exit: write what is left; later lines go straight to the file.
    void close()
    {
        QMutexLocker lock(&m_mutex);
        writeOut();
        m_closed = true;
    }

    // The file's place and limit come from the runtime configuration: look again only when
    // it may have changed, and reopen when the path now names another file (or none).
    void follow()
    {
        const quint64 generation = krt::KRuntimeConfig::generation();
        if (m_file.isOpen() && generation == m_generation)
            return;
        m_generation = generation;
        m_maxSize = qMax<qint64>(1, krt::KRuntimeConfig::value(QStringLiteral("log/maxSize"), KxLoggerLite::defaultMaxSize)
                                        .toLongLong());
        const QString path = KxLoggerLite::logFilePath();
        if (m_file.isOpen() && path == m_file.fileName() && isStillAt(path))
            return;
        writeOut();
        m_file.close();
        open(path);
    }

    bool isStillAt(const QString& path) const
    {
        struct stat opened {};
        struct stat named {};
        return ::fstat(m_file.handle(), &opened) == 0 && ::stat(QFile::encodeName(path).constData(), &named) == 0
            && opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
    }

    void open(const QString& path)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        m_file.setFileName(path);
        if (m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
            m_size = m_file.size();
    }

    void rotate()
    {
        writeOut();
        const QString path = m_file.fileName();
        m_file.close();
        const QString older = path + QStringLiteral(".1");
        QFile::remove(older);
        QFile::rename(path, older);
        open(path);
    }

    void writeOut()
    {
        if (m_buffer.isEmpty())
            return;
        if (m_file.isOpen())
            m_file.write(m_buffer);
        m_buffer.truncate(0);
    }

    QMutex m_mutex;
    QFile m_file;
    QByteArray m_buffer;
    quint64 m_generation = 0;
    qint64 m_size = 0;
    qint64 m_maxSize = KxLoggerLite::defaultMaxSize;
    bool m_closed = false;
};

} // namespace

void KxLoggerLite::writeInfo(const QString& module, const QString& message)
{
    writeMsg(Info, module, message);
}

void KxLoggerLite::writeWarning(const QString& module, const QString& message)
{
    writeMsg(Warning, module, message);
}

void KxLoggerLite::writeError(const QString& module, const QString& message)
{
    writeMsg(Error, module, message);
}

QString KxLoggerLite::levelName(Level level)
{
    switch (level) {
    case Info:
        return QStringLiteral("INFO");
    case Warning:
        return QStringLiteral("WARNING");
    case Error:
        return QStringLiteral("ERROR");
    }
    return QStringLiteral("INFO");
}

QString KxLoggerLite::logFilePath()
{
    return krt::dirs::officeData() + QStringLiteral("/log/kzemba.log");
}

static QString escapeField(QString text)
{
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    text.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    return text;
}

void KxLoggerLite::writeMsg(Level level, const QString& module, const QString& message)
{
    const QString line = QDateTime::currentDateTime().toString(Qt::ISODateWithMs) + QLatin1Char('\t')
        + levelName(level) + QLatin1Char('\t') + escapeField(module) + QLatin1Char('\t') + escapeField(message)
        + QLatin1Char('\n');
    LogSink::instance().append(line.toUtf8(), level != Info);
}

void KxLoggerLite::flush()
{
    LogSink::instance().flush();
}

KxLoggerLite::Stream::Stream(Level level, const QString& module)
    : m_level(level)
    , m_module(module)
    , m_stream(&m_text)
{
}

KxLoggerLite::Stream::Stream(Stream&& other) noexcept
    : m_level(other.m_level)
    , m_module(std::move(other.m_module))
    , m_text((other.m_stream.flush(), std::move(other.m_text)))
    , m_stream(&m_text)
{
    other.m_active = false;
}

KxLoggerLite::Stream::~Stream()
{
    if (!m_active)
        return;
    m_stream.flush();
    writeMsg(m_level, m_module, m_text);
}
