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
// Where a request for `url` is sent. Each entry of the runtime configuration's
// "network/connectTo" list, "HOST:PORT:TOHOST:TOPORT" (IPv6 hosts in brackets), sends the
// requests for HOST:PORT to TOHOST:TOPORT instead; the first entry that matches the URL's
// host and port (the scheme's default when the URL names none) wins. Lets a local server
// on a port of its own stand in for a host's default port.
QUrl connectTarget(const QUrl& url);

} // namespace kzembahttp

#endif
