#include "ktestthemestylehelper.h"

#include "ktestplugincontrol.h"

KTestThemeStyleHelper::KTestThemeStyleHelper(KTestPluginControl* control, QObject* parent)
    : QObject(parent)
    , m_control(control)
{
}

void KTestThemeStyleHelper::registerModule(const QString& moduleName, const QString& skinConfigPath)
{
    m_control->record(QStringLiteral("theme.registerModule"), {moduleName, skinConfigPath});
}
