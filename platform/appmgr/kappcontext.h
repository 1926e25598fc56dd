#ifndef KZEMBA_APPMGR_KAPPCONTEXT_H
#define KZEMBA_APPMGR_KAPPCONTEXT_H

#include "kzembaplatform_export.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <QWidget>

/// The launch context of a store app, as the app manager passes it to the app
/// runner: which app, from where, with which parameters and command line, and
/// the widget that asked for it. Also the shell's text form of a parameter map.
class KZEMBAPLATFORM_EXPORT KAppContext : public QObject
{
    Q_OBJECT
public:
    explicit KAppContext(QObject* parent = nullptr);
    ~KAppContext() override;

    // The map as one compact JSON object text; an empty map gives "{}".
    static QString switchMapToString(const QVariantMap& map);

    QPointer<QWidget> hostWidget;
    // Launch parameters; the launch steps also keep their session state here.
    QVariantMap params;
    QString source;
    QString commandLine;
    QString appId;
    int entrance = 0;
};

#endif
