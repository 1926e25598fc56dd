#ifndef KZEMBA_VDLLITE_KXWEBVIEWPAGE_H
#define KZEMBA_VDLLITE_KXWEBVIEWPAGE_H

#include "kzembaplatform_export.h"

#include <QObject>
#include <QUrl>

class KxWebViewContainer;
class KxWebViewJSContext;

/// The page side of a web view container: what runs the page's script. A back
/// end hands the page's calls to the container (KxWebViewContainer::invokeJsApi)
/// and receives what the native side sends back. The headless page plays a
/// page for tests and command-line hosts; a browser page does it in Chromium.
class KZEMBAPLATFORM_EXPORT KxWebViewPage : public QObject
{
    Q_OBJECT
public:
    explicit KxWebViewPage(QObject* parent = nullptr);
    ~KxWebViewPage() override;

    KxWebViewContainer* container() const;

    virtual void load(const QUrl& url);
    virtual QUrl url() const;

    // A call of the page function `function` with `text`: a JSON value, or, when `raw`, plain text.
    virtual void deliverCallback(const QString& function, const QString& text, bool raw) = 0;
    // The later answer of the call that `context` saved.
    virtual void deliverResult(const KxWebViewJSContext& context, const QString& text) = 0;

signals:
    void loadFinished(bool ok);

protected:
    QUrl m_url;
};

#endif
