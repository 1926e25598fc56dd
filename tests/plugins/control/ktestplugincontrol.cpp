#include "ktestplugincontrol.h"

#include "ktestbase.h"
#include "ktestbatchdownload.h"
#include "ktestcorelite.h"
#include "ktestnetwork.h"
#include "ktestresnetwork.h"
#include "ktestuserinfo.h"

#include <QCoreApplication>

KTestPluginControl* KTestPluginControl::instance()
{
    // Owned by the application, so that its network objects die before Qt does.
    static QPointer<KTestPluginControl> control;
    if (!control)
        control = new KTestPluginControl(QCoreApplication::instance());
    return control;
}

KTestPluginControl::KTestPluginControl(QObject* parent)
    : QObject(parent)
{
}

KTestPluginControl::~KTestPluginControl()
{
    delete m_coreLite;
    delete m_netWork;
    delete m_userInfo;
    delete m_base;
}

void KTestPluginControl::reset()
{
    m_options.clear();
    m_calls.clear();
    if (m_batchDownload)
        m_batchDownload->reset();
    if (m_resNetwork)
        m_resNetwork->reset();
    if (m_coreLite)
        m_coreLite->reset();
    if (m_userInfo)
        m_userInfo->reset();
}

QVariant KTestPluginControl::option(const QString& key, const QVariant& defaultValue) const
{
    return m_options.value(key, defaultValue);
}

void KTestPluginControl::setOption(const QString& key, const QVariant& value)
{
    m_options.insert(key, value);
}

void KTestPluginControl::record(const QString& name, const QVariantList& args)
{
    m_calls.append({name, args});
    emit called(name);
}

QList<KTestPluginCall> KTestPluginControl::callsTo(const QString& name) const
{
    QList<KTestPluginCall> list;
    for (const KTestPluginCall& call : m_calls) {
        if (call.name == name)
            list.append(call);
    }
    return list;
}

KTestCoreLite* KTestPluginControl::coreLite()
{
    if (!m_coreLite)
        m_coreLite = new KTestCoreLite(this);
    return m_coreLite;
}

KTestBatchDownload* KTestPluginControl::batchDownload()
{
    if (!m_batchDownload)
        m_batchDownload = new KTestBatchDownload(this, this);
    return m_batchDownload;
}

KTestNetWork* KTestPluginControl::netWork()
{
    if (!m_netWork)
        m_netWork = new KTestNetWork(this);
    return m_netWork;
}

KTestUserInfo* KTestPluginControl::userInfo()
{
    if (!m_userInfo)
        m_userInfo = new KTestUserInfo(this);
    return m_userInfo;
}

KTestBase* KTestPluginControl::base()
{
    if (!m_base)
        m_base = new KTestBase(this);
    return m_base;
}

KTestResNetwork* KTestPluginControl::resNetwork()
{
    if (!m_resNetwork)
        m_resNetwork = new KTestResNetwork(this, this);
    return m_resNetwork;
}
