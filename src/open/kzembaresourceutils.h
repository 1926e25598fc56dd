#ifndef KZEMBA_OPEN_KZEMBARESOURCEUTILS_H
#define KZEMBA_OPEN_KZEMBARESOURCEUTILS_H

#include "kzembajsapilite_export.h"

#include <QString>
#include <QVariantMap>

/// Helpers around the resource shop, the store app where users pick pictures,
/// word art and text boxes to insert: opening the whole shop through the
/// shell's app runner, the switch that lets similar documents pop up on their
/// own, and the texts a page expects for a pushed resource-shop event.
class KZEMBAJSAPILITE_EXPORT KZembaResourceUtils
{
public:
    // The plug-in "kzembaresource" is available and the app manager knows the shop.
    static bool isResourceShopAvailable();
    static bool isCanAutoPopDocSimilar();
    static void setCanAutoPopDocSmilar(bool enabled);

    // Runs the shop at "entry" for "appType" (the application's name when empty) with
    // "action"; false when the shop is not installed, a value is missing, there is no
    // runner, or the runner refuses the call.
    static bool openZembaResourceShop(QVariantMap& params);

    // The action, entry and parameter texts of a push request. Without "params" the
    // parameter text is the JSON text of "extra" (a map or a JSON object text).
    static void getPushUiEventParams(const QVariantMap& request, QString& action, QString& entry, QString& params);
};

#endif
