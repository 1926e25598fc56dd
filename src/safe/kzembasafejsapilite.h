#ifndef KZEMBA_SAFE_KZEMBASAFEJSAPILITE_H
#define KZEMBA_SAFE_KZEMBASAFEJSAPILITE_H

#include "kzembasafecommonjsapi.h"

/// The restricted JS API object that the suite's components give to partly
/// trusted store pages: the safe common API with a lite API object as its inner
/// push channel and the short, screened "common.util" name space.
class KZEMBAJSAPILITE_EXPORT KZembaSafeJSAPILite : public KZembaSafeCommonJSAPI
{
    Q_OBJECT
public:
    KZembaSafeJSAPILite(KxWebViewContainer* container, QWidget* host);
    ~KZembaSafeJSAPILite() override;

    // The shell main window this object lives in, or null.
    QWidget* widgetParent() override;

public slots:
    void initBaseUtil() override;
    void initCommonUtil() override;
};

#endif
