#ifndef KZEMBA_TESTS_KTESTACCOUNT_H
#define KZEMBA_TESTS_KTESTACCOUNT_H

#include "kzembatestplugins_export.h"

#include "interfaces/ikzembaaccount.h"

#include <QObject>

class KTestPluginControl;

/// The test account service. Options: "account/active" (default true) and
/// "account/cookies" (the cookie string).
class KZEMBATESTPLUGINS_EXPORT KTestAccount : public QObject, public IKZembaAccount
{
    Q_OBJECT
public:
    KTestAccount(KTestPluginControl* control, QObject* parent);

    bool isActive() override;
    void notifyCookiesChanged(QObject* receiver, const char* slot) override;
    QString getCookies() override;
    void login(const QVariantMap& args) override;
    void logout(const QVariantMap& args) override;
    // Option "account/userId".
    QString getUserId() override;

signals:
    void cookiesChanged();

private:
    KTestPluginControl* m_control;
};

#endif
