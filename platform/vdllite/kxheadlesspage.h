#ifndef KZEMBA_VDLLITE_KXHEADLESSPAGE_H
#define KZEMBA_VDLLITE_KXHEADLESSPAGE_H

#include "kxwebviewpage.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QMetaType>
#include <QString>

/// One thing the native side sent to a page.
struct KZEMBAPLATFORM_EXPORT KxPageDelivery
{
    enum Kind { Callback, RawCallback, Result };

    Kind kind = Callback;
    QString function;    // page function called (for a result: the call's callback name)
    QString text;        // JSON text, or plain text for a raw callback
    qint64 contextId = 0; // for a result: the id of the answered call

    // The JSON value of `text`, or null when it is not JSON.
    QJsonValue json() const;
};

Q_DECLARE_METATYPE(KxPageDelivery)

/// A page without a browser: a test or a command-line host plays its script.
/// It calls methods by name with a JSON argument object and gets the synchronous
/// answer back, and it records, in order, everything delivered to it later.
class KZEMBAPLATFORM_EXPORT KxHeadlessPage : public KxWebViewPage
{
    Q_OBJECT
public:
    explicit KxHeadlessPage(QObject* parent = nullptr);
    ~KxHeadlessPage() override;

    // The synchronous answer of the call, or null when the method set none.
    QJsonValue call(const QString& method, const QJsonObject& args = QJsonObject(), const QString& callback = QString());
    // The same with the arguments as the page's raw text, which need not be an object.
    QJsonValue callWithText(const QString& method, const QString& argsText, const QString& callback = QString());
    qint64 lastCallId() const { return m_lastCallId; }

    const QList<KxPageDelivery>& deliveries() const { return m_deliveries; }
    QList<KxPageDelivery> deliveriesTo(const QString& function) const;
    void clearDeliveries();

    void deliverCallback(const QString& function, const QString& text, bool raw) override;
    void deliverResult(const KxWebViewJSContext& context, const QString& text) override;

signals:
    void delivered(const KxPageDelivery& delivery);

private:
    void record(const KxPageDelivery& delivery);

    QList<KxPageDelivery> m_deliveries;
    qint64 m_lastCallId = 0;
};

#endif
