#include "ktestuserinfo.h"

KTestUserInfo::KTestUserInfo(KTestPluginControl* control)
    : m_control(control)
{
}

KTestUserInfo::~KTestUserInfo() = default;
