#ifndef KZEMBA_PLUGINS_KZEMBAHTTPHEADERS_H
#define KZEMBA_PLUGINS_KZEMBAHTTPHEADERS_H

#include <QUrl>
#include <QVariantMap>

class QNetworkRequest;

// Request helpers shared by the reference plug-ins.
namespace kzembahttp {

// Sets a header map on a request. A map value (a "Cookie" map) becomes one "name=value; ..."
// header. Names and values with line breaks or NUL bytes, and cookie pairs with ';', are left
// out, so nothing a page or server sent can add a header of its own.
void applyHeaders(QNetworkRequest& request, const QVariantMap& headers);
// True for a valid http or https URL: the only kind the plug-ins fetch.
bool isHttpUrl(const QUrl& url);

} // namespace kzembahttp

#endif
