#include "kplugin.h"

#include "kpluginconfig.h"
#include "krt.h"

#include <QDir>

KPlugin::KPlugin(const QString& name, QObject* parent)
    : QObject(parent)
    , m_name(name)
{
}

// The library stays loaded for the life of the process: services handed out by it may
// still be in use.
KPlugin::~KPlugin() = default;

QString KPlugin::libraryPath() const
{
    return QDir(kpluginconfig::getPluginPath(m_name)).absoluteFilePath(krt::getLibFileName(m_name));
}

bool KPlugin::load(int, int)
{
    ++m_loadRequests;
    if (m_library.isLoaded())
        return true;
    m_library.setFileName(libraryPath());
    return m_library.load();
}

bool KPlugin::isLoaded() const
{
    return m_library.isLoaded();
}

QString KPlugin::errorString() const
{
    return m_library.errorString();
}
