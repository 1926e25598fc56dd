#ifndef KZEMBA_TESTS_KTESTBASE_H
#define KZEMBA_TESTS_KTESTBASE_H

#include "kzembatestplugins_export.h"

#include "interfaces/ikzembabase.h"

class KTestPluginControl;

/// The test plug-in's IKZembaBase service. Its encodings are simple and
/// visible: the request fragment is "sign=" with the percent-encoded Base64 of
/// the payload, a stored text is "enc:" with the Base64 of its UTF-8 bytes, and
/// decoding a text without that form gives an empty text. Request encodings
/// are recorded as "base.encodeRequestParams".
class KZEMBATESTPLUGINS_EXPORT KTestBase : public IKZembaBase
{
public:
    explicit KTestBase(KTestPluginControl* control);
    ~KTestBase() override;

    QString encodeRequestParams(const QString& payload) override;
    QString encodeForStorage(const QString& text) override;
    QString decodeFromStorage(const QString& text) override;

private:
    KTestPluginControl* m_control;
};

#endif
