#ifndef KZEMBA_KRT_KPLUGINSSETTINGS_H
#define KZEMBA_KRT_KPLUGINSSETTINGS_H

#include "kzembaplatform_export.h"

#include <QSettings>

namespace krt {

/// The suite's plug-in settings store (user scope): an INI file in the office
/// data folder, one group per plug-in or feature.
class KZEMBAPLATFORM_EXPORT KPluginsSettings : public QSettings
{
    Q_OBJECT
public:
    explicit KPluginsSettings(QObject* parent = nullptr);
    ~KPluginsSettings() override;

    static QString filePath();
};

} // namespace krt

#endif
