#ifndef KZEMBA_OPEN_KXSPLITRESOURCESHOPOPENLITE_H
#define KZEMBA_OPEN_KXSPLITRESOURCESHOPOPENLITE_H

#include "kzembajsapilite_export.h"

#include <QString>
#include <QVariantMap>

/// Opens the resource shop of one resource kind (a "split" shop, such as the
/// picture shop) the way its app is set to open: as a popup store app (mode 0)
/// or inside the document's task pane (mode 1), where the request travels to
/// the document process over the shell's IPC service.
class KZEMBAJSAPILITE_EXPORT KxSplitResourceShopOpenLite
{
public:
    // Opens the shop "appId" as a popup when "split_zembaresourceshop" is set, and
    // keeps that app on the popup mode from then on; false when not asked to.
    static bool handleSplitResourceShop(const QVariantMap& params);

    // "forcePopup" or "forcePopupMode" open a popup whatever the mode. The task-pane
    // route is true once the request is sent; its reply is only checked and logged.
    static bool open(const QString& appId, const QVariantMap& params);
};

// The split-shop open mode stored for an app: 0 popup, 1 task pane; 0 when never set.
KZEMBAJSAPILITE_EXPORT int getSplitResourceShopMode(const QString& appId);
KZEMBAJSAPILITE_EXPORT void setSplitResourceShopMode(const QString& appId, int mode);

#endif
