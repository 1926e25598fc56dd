#ifndef KZEMBA_TESTS_KTESTRESOURCEHANDLER_H
#define KZEMBA_TESTS_KTESTRESOURCEHANDLER_H

#include "kzembatestplugins_export.h"

#include "interfaces/ikzembaresourcehandler.h"

class KTestPluginControl;

/// The test handler of one resource type. Options: "res/<type>/local" (the
/// resource is already there), "res/<type>/invalid" (the validation text). Its
/// download list is one batch whose id is the type followed by the id, with
/// one item per URL of the page's "urls".
class KZEMBATESTPLUGINS_EXPORT KTestResourceHandler : public IKZembaResourceHandler
{
public:
    KTestResourceHandler(const QString& resType, KTestPluginControl* control);

    bool isLocalResource(const ResourceInfo& info) override;
    void prepareResource(const ResourceInfo& info) override;
    QString validateResource(const ResourceInfo& info) override;
    KZembaBatchDownloadParam getDownloadList(const ResourceInfo& info) override;

private:
    QString option(const char* name) const;

    QString m_resType;
    KTestPluginControl* m_control;
};

#endif
