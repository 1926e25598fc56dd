#ifndef KZEMBA_PLUGINS_KZEMBATHEMESTYLEHELPER_H
#define KZEMBA_PLUGINS_KZEMBATHEMESTYLEHELPER_H

#include "interfaces/ikzembashellthemestylehelper.h"

#include <QMap>
#include <QObject>
#include <QVariantMap>

/// The core-lite plug-in's theme helper. The skin is the runtime
/// configuration's "skin/name" (default "default") and its colours the keys of
/// the group "skin/colors" ("skin/colors/background=#ffffff"); a module that
/// registers a skin configuration file (a JSON object {"colors": {...}}) adds
/// its colours under "<module>.<key>". Its dynamic properties are the pages'
/// shared properties and are left to them.
class KZembaThemeStyleHelper : public QObject, public IKZembaShellThemeStyleHelper
{
    Q_OBJECT
public:
    explicit KZembaThemeStyleHelper(QObject* parent = nullptr);

    void registerModule(const QString& moduleName, const QString& skinConfigPath) override;

    Q_INVOKABLE QString skinName() const;
    Q_INVOKABLE QVariantMap skinColors() const;
    QMap<QString, QString> registeredModules() const { return m_modules; }

private:
    QMap<QString, QString> m_modules;
    QMap<QString, QVariantMap> m_moduleColors;
};

#endif
