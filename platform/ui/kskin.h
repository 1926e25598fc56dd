#ifndef KZEMBA_UI_KSKIN_H
#define KZEMBA_UI_KSKIN_H

#include "kzembaplatform_export.h"

#include <QObject>

/// The suite's skin object. A host keeps one under its application object;
/// widgets find it there and listen to `skinChanged()`. The current skin lives
/// in the runtime configuration, so every reader of the theme sees a switch at
/// once.
class KZEMBAPLATFORM_EXPORT KSkin : public QObject
{
    Q_OBJECT
public:
    explicit KSkin(QObject* parent = nullptr);

    static QString currentSkinName();
    // The theme's hint "ZembaBaseConfig" / "is-dark-skin" is 1.
    static bool isDarkSkin();

    // Switches the skin and tells the listeners; the same name changes nothing.
    void setCurrentSkin(const QString& name);

signals:
    void skinChanged();
};

#endif
