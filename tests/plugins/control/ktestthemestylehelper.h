#ifndef KZEMBA_TESTS_KTESTTHEMESTYLEHELPER_H
#define KZEMBA_TESTS_KTESTTHEMESTYLEHELPER_H

#include "kzembatestplugins_export.h"

#include "interfaces/ikzembashellthemestylehelper.h"

#include <QObject>

class KTestPluginControl;

/// The test theme helper: records module registrations; its dynamic
/// properties are the shared ones.
class KZEMBATESTPLUGINS_EXPORT KTestThemeStyleHelper : public QObject, public IKZembaShellThemeStyleHelper
{
    Q_OBJECT
public:
    KTestThemeStyleHelper(KTestPluginControl* control, QObject* parent);

    void registerModule(const QString& moduleName, const QString& skinConfigPath) override;

private:
    KTestPluginControl* m_control;
};

#endif
