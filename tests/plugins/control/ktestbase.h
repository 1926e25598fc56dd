#ifndef KZEMBA_TESTS_KTESTBASE_H
#define KZEMBA_TESTS_KTESTBASE_H

#include "kzembatestplugins_export.h"

#include "interfaces/ikzembabase.h"

class KTestPluginControl;

/// The test plug-in's IKZembaBase service.
class KZEMBATESTPLUGINS_EXPORT KTestBase : public IKZembaBase
{
public:
    explicit KTestBase(KTestPluginControl* control);
    ~KTestBase() override;

private:
    KTestPluginControl* m_control;
};

#endif
