#ifndef KZEMBA_PLUGINS_KZEMBARESOURCEHANDLER_H
#define KZEMBA_PLUGINS_KZEMBARESOURCEHANDLER_H

#include "interfaces/ikzembaresourcehandler.h"

#include <QHash>

/// The handler of one resource type. A resource is described by the page's
/// "id" and its "urls" (or one "url"), optionally "md5"; it is downloaded to
/// "<office data>/zemba/downloads/<type>/<id>/" and applied by copying the
/// files into "<office data>/zemba/resources/<type>/<id>/", next to a
/// "resource.json" that records the type, id, files and the page's description.
/// The local check applies a finished download it finds, so a resource counts
/// as local once it is applied.
class KZembaResourceHandler : public IKZembaResourceHandler
{
public:
    explicit KZembaResourceHandler(const QString& resType);

    static QStringList knownTypes();
    static QString downloadFolder(const QString& resType, const QString& id);
    static QString appliedFolder(const QString& resType, const QString& id);
    // The applied resource's record ("resource.json"), with "path" set to its folder; empty
    // when it is not applied.
    static QVariantMap appliedResource(const QString& resType, const QString& id);
    static bool isSafeId(const QString& id);

    bool isLocalResource(const ResourceInfo& info) override;
    void prepareResource(const ResourceInfo& info) override;
    QString validateResource(const ResourceInfo& info) override;
    KZembaBatchDownloadParam getDownloadList(const ResourceInfo& info) override;

private:
    static QStringList urlsOf(const ResourceInfo& info);
    bool apply(const ResourceInfo& info);

    QString m_resType;
    // The page's descriptions of resources on their way, by id, for the applied record.
    QHash<QString, QVariantMap> m_descriptions;
};

#endif
