#include "kxloggerlite.h"

#include "krt/krt.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

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
    const QString path = logFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return;
    const QString line = QDateTime::currentDateTime().toString(Qt::ISODateWithMs) + QLatin1Char('\t')
        + levelName(level) + QLatin1Char('\t') + escapeField(module) + QLatin1Char('\t') + escapeField(message)
        + QLatin1Char('\n');
    file.write(line.toUtf8());
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
