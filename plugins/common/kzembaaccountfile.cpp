#include "kzembaaccountfile.h"

#include <krt/kruntimeconfig.h>
#include <vdllite/jsonhelper.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStringList>

namespace kzembaaccountfile {

namespace {
// An account file is small; anything bigger is not ours.
constexpr qint64 kMaxFileBytes = 1024 * 1024;
} // namespace

QString path()
{
    return krt::KRuntimeConfig::runtimeDir() + QStringLiteral("/zemba/account.json");
}

QVariantMap current()
{
    QFile file(path());
    if (file.open(QIODevice::ReadOnly)) {
        const QJsonObject object = JsonHelper::convertStringToQJson(QString::fromUtf8(file.read(kMaxFileBytes)));
        return object.toVariantMap();
    }
    QVariantMap account;
    for (const char* key : {"userid", "nickname", "avatar"}) {
        const QString value = krt::KRuntimeConfig::value(QStringLiteral("account/") + QLatin1String(key)).toString();
        if (!value.isEmpty())
            account.insert(QLatin1String(key), value);
    }
    const QVariant cookies = krt::KRuntimeConfig::value(QStringLiteral("account/cookies"));
    // An INI value with commas reads back as a list.
    const QString cookieText = cookies.type() == QVariant::StringList ? cookies.toStringList().join(QLatin1Char(','))
                                                                      : cookies.toString();
    if (!cookieText.isEmpty())
        account.insert(QStringLiteral("cookies"), parseCookieString(cookieText));
    return account;
}

bool write(const QVariantMap& account)
{
    QDir().mkpath(QFileInfo(path()).absolutePath());
    QSaveFile file(path());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(QJsonObject::fromVariantMap(account)).toJson(QJsonDocument::Indented));
    return file.commit();
}

bool remove()
{
    return !QFile::exists(path()) || QFile::remove(path());
}

QString cookieString(const QVariantMap& cookies)
{
    QStringList pairs;
    for (auto it = cookies.constBegin(); it != cookies.constEnd(); ++it)
        pairs.append(it.key() + QLatin1Char('=') + it.value().toString());
    return pairs.join(QLatin1Char(';'));
}

QVariantMap parseCookieString(const QString& text)
{
    QVariantMap cookies;
    const QStringList pairs = text.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString& pair : pairs) {
        const int equals = pair.indexOf(QLatin1Char('='));
        const QString name = pair.left(equals).trimmed();
        if (equals > 0 && !name.isEmpty())
            cookies.insert(name, pair.mid(equals + 1).trimmed());
    }
    return cookies;
}

} // namespace kzembaaccountfile
