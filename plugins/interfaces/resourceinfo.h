#ifndef KZEMBA_PLUGINS_RESOURCEINFO_H
#define KZEMBA_PLUGINS_RESOURCEINFO_H

#include <QMetaType>
#include <QString>
#include <QVariantMap>

/// A resource being applied: its type, its id and the page's description of it.
struct ResourceInfo
{
    QString resType;
    QString id;
    QVariantMap resInfo;
};

Q_DECLARE_METATYPE(ResourceInfo)

#endif
