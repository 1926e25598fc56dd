#ifndef KZEMBA_UI_KSKIN_H
#define KZEMBA_UI_KSKIN_H

#include "kzembaplatform_export.h"

#include <QObject>
#include <QString>

/// The suite's skin object. A host puts one under its application object;
/// widgets find it there and follow skinChanged().
class KZEMBAPLATFORM_EXPORT KSkin : public QObject
{
    Q_OBJECT
public:
    explicit KSkin(QObject* parent = nullptr);
    ~KSkin() override;

    QString skinName() const { return m_skinName; }
    // Emits skinChanged() when the name changes.
    void setSkinName(const QString& name);

signals:
    void skinChanged();

private:
    QString m_skinName;
};

#endif
