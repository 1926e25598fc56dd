#ifndef KZEMBA_TESTS_KTESTCORELITE_H
#define KZEMBA_TESTS_KTESTCORELITE_H

#include "kzembatestplugins_export.h"

#include "interfaces/ikzembacorelite.h"

#include <QList>
#include <QMap>
#include <QPair>
#include <QPointer>

class KTestAccount;
class KTestPluginControl;
class KTestResourceHandler;
class KTestRequestDecorator;
class KTestThemeStyleHelper;

/// The test core-lite service. Options: "corelite/handlers" (names it makes
/// handlers for; all by default), "corelite/fpc/<group>" and
/// "corelite/fpc/<project>/<group>" (combined configuration maps),
/// "corelite/fpcReady", "account/present", "theme/present", "request/present".
class KZEMBATESTPLUGINS_EXPORT KTestCoreLite : public IKZembaCoreLite
{
public:
    explicit KTestCoreLite(KTestPluginControl* control);
    ~KTestCoreLite() override;

    void reset();

    QJsonObject getFpcCombConfig(qint64 moduleGroupId) override;
    QJsonObject getFpcCombConfig(qint64 projectId, qint64 moduleGroupId) override;
    void watchFpcCombConfig(qint64 moduleGroupId, QObject* receiver, const char* slot) override;
    bool isFpcCombConfigReady() override;
    KxWebViewJSApiHandler* createJsApiHandler(const QString& name, QObject* parent,
                                              KxWebViewAsynJSObject* jsObject) override;
    IKZembaAccount* getAccount() override;
    IKZembaShellThemeStyleHelper* getThemeStyleHelper() override;
    // Option "request/present" (default true).
    IKZembaRequestService* getRequestService() override;
    // Types listed in the option "corelite/resourceTypes" have a handler.
    IKZembaResourceHandler* getResourceHandler(const QString& resType) override;
    // Recorded as "corelite.openUnifyPayDlg" (url, module name, parent, JS object, args).
    void openUnifyPayDlg(const QString& url, const QString& moduleName, QWidget* parent, QObject* jsObject,
                         const QVariantMap& args) override;

    KTestAccount* account() const { return m_account; }
    KTestThemeStyleHelper* theme() const { return m_theme; }

    // Tells every watcher of `moduleGroupId` that its configuration changed.
    void changeFpcCombConfig(qint64 first, qint64 moduleGroupId);

private:
    struct Watcher
    {
        qint64 group;
        QPointer<QObject> receiver;
        QByteArray slot;
    };

    KTestPluginControl* m_control;
    KTestAccount* m_account;
    KTestThemeStyleHelper* m_theme;
    KTestRequestDecorator* m_requestDecorator;
    QList<Watcher> m_watchers;
    QMap<QString, KTestResourceHandler*> m_resourceHandlers;
};

#endif
