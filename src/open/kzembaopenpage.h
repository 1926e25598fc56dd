#ifndef KZEMBA_OPEN_KZEMBAOPENPAGE_H
#define KZEMBA_OPEN_KZEMBAOPENPAGE_H

#include "kzembajsapilite_export.h"

#include <QPointer>
#include <QString>
#include <QVariantMap>

#include <functional>

class KVantaMainWindow;
class KVantaPage;
class QObject;

// Opens a store page or store app described by `params`: "popup" runs the app
// "appId" at "entry" through the shell's app runner; "emedd" prepares the shell
// plug-in "pluginName" and shows its page of type "type" in a new tab, right
// after the requesting tab when "pageMoveToNext" is true. `parent` is the object
// on whose behalf the page opens (it locates the main window and the requesting
// tab); it may be null. Returns whether `errorText` is empty on return. A mode
// that is neither of the two leaves `errorText` as it was.
KZEMBAJSAPILITE_EXPORT bool openZembaPage(const QVariantMap& params, QString& errorText, QObject* parent);

// Whether openZembaPage() can serve the request for "appId" of the plug-in
// "pluginName". Sets `openMode` to "popup" for every request that names an app
// other than the resource shop.
KZEMBAJSAPILITE_EXPORT bool getOpenZembaPageEnabled(const QVariantMap& params, QString& openMode);

// Queues the run of store app `appId` at `entry` on the shell's app runner, with the
// parameters in the shell's text form; the app starts from the runner's event loop.
// False when the runner refuses the call (no slot of that name and arguments).
bool queueVantaRunApp(QObject* runner, const QString& appId, const QString& entry, const QVariantMap& params);

// Shows the page of the prepared shell plug-in: page type `type` with the argument
// "pageFrom=<hex of the UTF-8 of query>", in the main window of `requester` (the current
// one when it has none or is gone). `beforeShow` runs once the page is added, before it
// becomes current and is notified; with `moveToNext` its tab then moves right after the
// requester's. Null when nothing opened (unknown type, no window or central area, refused).
KVantaPage* showVantaPluginPage(const QString& query, const QString& type, bool moveToNext,
                                const QPointer<QObject>& requester,
                                const std::function<void(KVantaMainWindow*)>& beforeShow = {});

// The shell page that `object` lives in (the first one among its object parents), or null.
KVantaPage* vantaPageContaining(QObject* object);

#endif
