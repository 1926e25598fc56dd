#ifndef KZEMBA_VDLLITE_KXLOGGERLITE_H
#define KZEMBA_VDLLITE_KXLOGGERLITE_H

#include "kzembaplatform_export.h"

#include <QString>
#include <QTextStream>

/// The suite's lightweight logger: one line per message, with a level and a
/// module tag, appended to a log file in the office data folder. Lines are
/// tab-separated (time, level, module, message) with line breaks in the message
/// escaped, so that a reader can take the file apart again. The file stays open
/// and lines are buffered; a warning or an error writes the buffer out at once,
/// as do flush() and the end of the process. When a line would take the file past
/// the size limit (runtime configuration "log/maxSize" in bytes, default 8 MiB),
/// the file is renamed to "kzemba.log.1", replacing an older one, and a new file
/// begins: the logs never take more than about twice the limit.
class KZEMBAPLATFORM_EXPORT KxLoggerLite
{
public:
    enum Level { Info, Warning, Error };

    static constexpr qint64 defaultMaxSize = 8 * 1024 * 1024;

    static void writeInfo(const QString& module, const QString& message);
    static void writeWarning(const QString& module, const QString& message);
    static void writeError(const QString& module, const QString& message);
    static void writeMsg(Level level, const QString& module, const QString& message);

    static QString levelName(Level level);
    static QString logFilePath();
    // Writes the buffered lines to the file now.
    static void flush();

    /// Collects streamed text and writes it as one line when it goes out of scope.
    class KZEMBAPLATFORM_EXPORT Stream
    {
    public:
        Stream(Level level, const QString& module);
        Stream(Stream&& other) noexcept;
        Stream(const Stream&) = delete;
        Stream& operator=(const Stream&) = delete;
        ~Stream();

        template <typename T>
        Stream& operator<<(const T& value)
        {
            m_stream << value;
            return *this;
        }

    private:
        Level m_level;
        QString m_module;
        QString m_text;
        QTextStream m_stream;
        bool m_active = true;
    };

    static Stream info(const QString& module) { return Stream(Info, module); }
    static Stream warning(const QString& module) { return Stream(Warning, module); }
    static Stream error(const QString& module) { return Stream(Error, module); }
};

#endif
