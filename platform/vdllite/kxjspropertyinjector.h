#ifndef KZEMBA_VDLLITE_KXJSPROPERTYINJECTOR_H
#define KZEMBA_VDLLITE_KXJSPROPERTYINJECTOR_H

#include "kzembaplatform_export.h"

#include <QHash>
#include <QPointer>
#include <QString>
#include <QVariantMap>

class KxWebViewContainer;

/// Collects properties for named objects of one page and sets them in one go.
/// Each property comes as "key=value" text; the value is a JSON value when the
/// caller says so, else plain text. Only the top frame can be targeted.
class KZEMBAPLATFORM_EXPORT KxJsPropertyInjector
{
public:
    explicit KxJsPropertyInjector(KxWebViewContainer* container);

    // False (and nothing kept) when the text has no "=", the key differs from the text's,
    // the frame is not "top", or a JSON value does not parse.
    bool injectProperty(const QString& key, const QString& keyValueText, const QString& objectName,
                        const QString& frame, const QString& valueIsJson);
    // Hands everything collected to the page and starts again.
    void finish();

private:
    QPointer<KxWebViewContainer> m_container;
    QHash<QString, QVariantMap> m_pending;
};

#endif
