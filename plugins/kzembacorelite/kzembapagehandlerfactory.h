#ifndef KZEMBA_PLUGINS_KZEMBAPAGEHANDLERFACTORY_H
#define KZEMBA_PLUGINS_KZEMBAPAGEHANDLERFACTORY_H

#include <QString>
#include <QStringList>

class KZembaAccount;
class KZembaPageHandler;
class KZembaThemeStyleHelper;
class KxWebViewAsynJSObject;
class QObject;

/// Makes the core-lite plug-in's page handlers by name: "common.payment",
/// "common.event", "common.plugin", "zemba.vanta.ai", and the restricted
/// "common.safe.payment", "common.safe.report", "common.safe.account",
/// "common.safe.event", "common.safe.skin", "common.safe.qoxoffice",
/// "common.safe.profile" and "common.safe.network". Restricted handlers never
/// hand out cookies and only report events whose name starts with "zemba_".
class KZembaPageHandlerFactory
{
public:
    KZembaPageHandlerFactory(KZembaAccount* account, KZembaThemeStyleHelper* theme);

    static QStringList handlerNames();
    // Null for an unknown name.
    KZembaPageHandler* create(const QString& name, QObject* parent, KxWebViewAsynJSObject* jsObject) const;

private:
    KZembaAccount* m_account;
    KZembaThemeStyleHelper* m_theme;
};

#endif
