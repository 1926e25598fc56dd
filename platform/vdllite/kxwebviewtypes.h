#ifndef KZEMBA_VDLLITE_KXWEBVIEWTYPES_H
#define KZEMBA_VDLLITE_KXWEBVIEWTYPES_H

#include <QNetworkProxy>
#include <QString>

#include <functional>

// What a link click in the page does: stay in the view, or hand the URL to the host.
enum KxWebViewLinkClickPolicy
{
    KxWebViewLinkClickInView = 0,
    KxWebViewLinkClickDelegate = 1,
};

// Whether the view may send the host's custom request headers.
enum KxWebViewCustomHeaderPolicy
{
    KxWebViewCustomHeaderNone = 0,
    KxWebViewCustomHeaderAll = 1,
};

// Whether the framework widget gives its page a JS API object.
enum KxWebViewCefJsApiFlag
{
    KxWebViewCefJsApiNone = 0,
    KxWebViewCefJsApiDefault = 1,
};

// Everything a page back end needs to create its browser.
struct KxBrowserOptions
{
    QString url;
    KxWebViewLinkClickPolicy linkPolicy = KxWebViewLinkClickInView;
    KxWebViewCustomHeaderPolicy headerPolicy = KxWebViewCustomHeaderNone;
    QNetworkProxy proxy;
    QString cachePath;
    QString cookiePath;
};

// Told whether a cookie operation of the container succeeded.
using KxCookieCallback = std::function<void(bool)>;

#endif
