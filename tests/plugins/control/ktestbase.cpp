#include "ktestbase.h"

#include "ktestplugincontrol.h"

#include <QByteArray>

namespace {
const char kStoragePrefix[] = "enc:";
}

KTestBase::KTestBase(KTestPluginControl* control)
    : m_control(control)
{
}

KTestBase::~KTestBase() = default;

QString KTestBase::encodeRequestParams(const QString& payload)
{
    m_control->record(QStringLiteral("base.encodeRequestParams"), {payload});
    return QStringLiteral("sign=") + QString::fromLatin1(payload.toUtf8().toBase64().toPercentEncoding());
}

QString KTestBase::encodeForStorage(const QString& text)
{
    return QLatin1String(kStoragePrefix) + QString::fromLatin1(text.toUtf8().toBase64());
}

QString KTestBase::decodeFromStorage(const QString& text)
{
    if (!text.startsWith(QLatin1String(kStoragePrefix)))
        return QString();
    return QString::fromUtf8(QByteArray::fromBase64(text.mid(int(sizeof(kStoragePrefix)) - 1).toLatin1()));
}
