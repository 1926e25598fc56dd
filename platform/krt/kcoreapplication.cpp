#include "kcoreapplication.h"

#include "kdomainmgr.h"

KCoreApplication::KCoreApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

KCoreApplication::~KCoreApplication() = default;

KCoreApplication* KCoreApplication::instance()
{
    return qobject_cast<KCoreApplication*>(QCoreApplication::instance());
}

KDomainMgr* KCoreApplication::getDomainMgr()
{
    static KDomainMgr manager;
    return &manager;
}

QObject* KCoreApplication::userInfoSource() const
{
    return nullptr;
}
