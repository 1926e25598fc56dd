#ifndef KZEMBA_PLUGINS_KZEMBAUSERINFOTYPES_H
#define KZEMBA_PLUGINS_KZEMBAUSERINFOTYPES_H

#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <functional>

/// A module's registration with the user-info service: who asks, and the
/// account-information URLs the service queries for it.
struct KZembaUserInfoRegistration
{
    QString moduleId;
    QString moduleName;
    QString version;
    QString description;
    QStringList scopes;
    QStringList queryUrls;
};

/// The outcome of an account-state query: whether it failed, the state text
/// the service settled on, and what the server's answer carried.
struct KZembaUserInfoQueryResult
{
    bool failed = false;
    QString queryResult;
    QVariantMap respInfo;
};

using KZembaUserInfoQueryHandler = std::function<void(const KZembaUserInfoQueryResult& result)>;

#endif
