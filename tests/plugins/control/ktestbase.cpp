#include "ktestbase.h"

KTestBase::KTestBase(KTestPluginControl* control)
    : m_control(control)
{
}

KTestBase::~KTestBase() = default;
