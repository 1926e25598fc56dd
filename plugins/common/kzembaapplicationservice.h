#ifndef KZEMBA_PLUGINS_KZEMBAAPPLICATIONSERVICE_H
#define KZEMBA_PLUGINS_KZEMBAAPPLICATIONSERVICE_H

#include <QCoreApplication>
#include <QPointer>

// The one instance of a plug-in service, made on first use by `make(parent)`. It belongs to
// the application object, so that its network objects go before Qt does; without an
// application object there is none.
template <typename Service, typename Make>
Service* kzembaApplicationService(Make make)
{
    static QPointer<Service> service;
    if (!service && QCoreApplication::instance())
        service = make(QCoreApplication::instance());
    return service;
}

template <typename Service>
Service* kzembaApplicationService()
{
    return kzembaApplicationService<Service>([](QObject* parent) { return new Service(parent); });
}

#endif
