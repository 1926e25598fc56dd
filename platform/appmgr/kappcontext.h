#ifndef KZEMBA_APPMGR_KAPPCONTEXT_H
#define KZEMBA_APPMGR_KAPPCONTEXT_H

#include "kzembaplatform_export.h"

#include <QObject>
#include <QString>
#include <QVariantMap>

/// The launch context of a store app, as the app manager passes it to the app
/// runner, and the shell's text form of a parameter map.
class KZEMBAPLATFORM_EXPORT KAppContext : public QObject
{
    Q_OBJECT
public:
    explicit KAppContext(QObject* parent = nullptr);
    ~KAppContext() override;

    // The map as one compact JSON object text; an empty map gives "{}".
    static QString switchMapToString(const QVariantMap& map);
};

#endif
