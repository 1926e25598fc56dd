#include "ktestpagehost.h"

#include <QtTest>

KTestPageHost::KTestPageHost()
    : m_host(std::make_unique<QWidget>())
    , m_container(new KxWebViewContainer(m_host.get()))
{
}

KTestPageHost::~KTestPageHost() = default;

KxHeadlessPage* KTestPageHost::page() const
{
    return m_container ? qobject_cast<KxHeadlessPage*>(m_container->page()) : nullptr;
}

bool KTestPageHost::waitForDeliveries(const QString& function, int count, int timeoutMs) const
{
    return QTest::qWaitFor([&] { return page() && page()->deliveriesTo(function).size() >= count; }, timeoutMs);
}
