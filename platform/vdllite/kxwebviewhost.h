#ifndef KZEMBA_VDLLITE_KXWEBVIEWHOST_H
#define KZEMBA_VDLLITE_KXWEBVIEWHOST_H

#include "kzembaplatform_export.h"

#include <QList>
#include <QPointer>
#include <QString>

class KxWebViewContainer;

/// The process's register of live web view containers by page flag
/// ("ZembaPage"), so that other components can find the pages of a kind.
/// Containers leave the register when they are destroyed.
class KZEMBAPLATFORM_EXPORT KxWebViewHost
{
public:
    static KxWebViewHost* instance();

    // Registers `container` under `pageFlag`; `extra` is the caller's note, kept with it.
    void addInstance(const QString& pageFlag, KxWebViewContainer* container, const QString& extra);
    void removeInstance(KxWebViewContainer* container);
    QList<KxWebViewContainer*> instances(const QString& pageFlag) const;

private:
    struct Entry
    {
        QString pageFlag;
        QPointer<KxWebViewContainer> container;
        QString extra;
    };
    QList<Entry> m_entries;
};

#endif
