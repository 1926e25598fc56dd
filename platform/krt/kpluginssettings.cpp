#include "kpluginssettings.h"

#include "krt.h"

namespace krt {

KPluginsSettings::KPluginsSettings(QObject* parent)
    : QSettings(filePath(), QSettings::IniFormat, parent)
{
}

KPluginsSettings::~KPluginsSettings() = default;

QString KPluginsSettings::filePath()
{
    return dirs::officeData() + QStringLiteral("/kpluginssettings.ini");
}

} // namespace krt
