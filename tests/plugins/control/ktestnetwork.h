#ifndef KZEMBA_TESTS_KTESTNETWORK_H
#define KZEMBA_TESTS_KTESTNETWORK_H

#include "kzembatestplugins_export.h"

#include "interfaces/ikzembanetwork.h"

class KTestPluginControl;

/// The test plug-in's IKZembaNetWork service.
class KZEMBATESTPLUGINS_EXPORT KTestNetWork : public IKZembaNetWork
{
public:
    explicit KTestNetWork(KTestPluginControl* control);
    ~KTestNetWork() override;

private:
    KTestPluginControl* m_control;
};

#endif
