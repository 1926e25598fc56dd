#ifndef KZEMBA_TESTS_KTESTJSAPIHANDLER_H
#define KZEMBA_TESTS_KTESTJSAPIHANDLER_H

#include "kzembatestplugins_export.h"

#include <vdllite/kxwebviewjsapihandler.h>

/// A page handler made by the test core-lite service; `ping` answers with its name.
class KZEMBATESTPLUGINS_EXPORT KTestJsApiHandler : public KxWebViewJSApiHandler
{
    Q_OBJECT
public:
    KTestJsApiHandler(const QString& name, QObject* parent, KxWebViewAsynJSObject* jsObject);

    QString name() const { return m_name; }

public slots:
    void ping(KxWebViewJSContext& context);

private:
    QString m_name;
};

#endif
