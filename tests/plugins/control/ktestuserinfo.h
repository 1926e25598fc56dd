#ifndef KZEMBA_TESTS_KTESTUSERINFO_H
#define KZEMBA_TESTS_KTESTUSERINFO_H

#include "kzembatestplugins_export.h"

#include "interfaces/ikzembauserinfo.h"

class KTestPluginControl;

/// The test plug-in's IKZembaUserInfo service.
class KZEMBATESTPLUGINS_EXPORT KTestUserInfo : public IKZembaUserInfo
{
public:
    explicit KTestUserInfo(KTestPluginControl* control);
    ~KTestUserInfo() override;

private:
    KTestPluginControl* m_control;
};

#endif
