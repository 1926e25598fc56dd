#include "kplugin.h"

#include "kpluginconfig.h"
#include "krt.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonArray>
#include <QJsonObject>

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

bool KPlugin::getLocalAttr(KPluginAttribute& attribute) const
{
    // A description is a few lines; anything larger is not one.
    const qint64 maxSize = 1024 * 1024;
    QFile file(QDir(kpluginconfig::getPluginPath(m_name)).absoluteFilePath(QStringLiteral("plugin.json")));
    if (file.size() > maxSize || !file.open(QIODevice::ReadOnly))
        return false;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isObject())
        return false;
    const QJsonObject object = document.object();
    attribute.name = object.value(QStringLiteral("name")).toString(m_name);
    attribute.version = object.value(QStringLiteral("version")).toString();
    const QJsonValue features = object.value(QStringLiteral("featureList"));
    if (features.isArray())
        attribute.featureList = QString::fromUtf8(QJsonDocument(features.toArray()).toJson(QJsonDocument::Compact));
    else if (features.isObject())
        attribute.featureList = QString::fromUtf8(QJsonDocument(features.toObject()).toJson(QJsonDocument::Compact));
    else
        attribute.featureList = features.toString();
    return true;
}
