#ifndef KZEMBA_KRT_KCOREAPPLICATION_H
#define KZEMBA_KRT_KCOREAPPLICATION_H

#include "kzembaplatform_export.h"

#include <QApplication>

class KDomainMgr;

/// The suite's application object. Hosts derive from it to offer the sources
/// that the library listens to; the domain manager is there whatever the
/// application is.
class KZEMBAPLATFORM_EXPORT KCoreApplication : public QApplication
{
    Q_OBJECT
public:
    KCoreApplication(int& argc, char** argv);
    ~KCoreApplication() override;

    // The running application when it is a KCoreApplication, else null.
    static KCoreApplication* instance();
    static KDomainMgr* getDomainMgr();

    // The object that emits userInfoChange(int) when the signed-in user changes; null when
    // the host has none.
    virtual QObject* userInfoSource() const;
};

#endif
