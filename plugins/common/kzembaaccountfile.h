#ifndef KZEMBA_PLUGINS_KZEMBAACCOUNTFILE_H
#define KZEMBA_PLUGINS_KZEMBAACCOUNTFILE_H

#include <QString>
#include <QVariantMap>

// The signed-in store account as the reference plug-ins share it: the file
// "zemba/account.json" of the runtime folder, a JSON object with "userid",
// "nickname", "avatar" and "cookies" (an object of cookie names and values).
// Without the file, the runtime configuration's group "account" ("userid",
// "nickname", "avatar", "cookies" as "name=value;name=value") describes it.
namespace kzembaaccountfile {

QString path();
// The account's data; empty when nobody is signed in.
QVariantMap current();
bool write(const QVariantMap& account);
bool remove();
// "name=value" pairs separated by ";" (the account service's cookie string), and back.
QString cookieString(const QVariantMap& cookies);
QVariantMap parseCookieString(const QString& text);

} // namespace kzembaaccountfile

#endif
