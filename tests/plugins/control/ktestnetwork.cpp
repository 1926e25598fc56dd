#include "ktestnetwork.h"

KTestNetWork::KTestNetWork(KTestPluginControl* control)
    : m_control(control)
{
}

KTestNetWork::~KTestNetWork() = default;
