#ifndef KZEMBA_VANTA_KVANTAQOXPAGE_H
#define KZEMBA_VANTA_KVANTAQOXPAGE_H

#include "kzembaplatform_export.h"

#include "kvantapage.h"

#include <QList>
#include <QMap>
#include <QString>

/// The page of a document component (text document, spreadsheet or
/// presentation) in the central area. Besides the page notifications it takes
/// messages for the component's store panel (the app center) as a text map,
/// and keeps every one it received.
class KZEMBAPLATFORM_EXPORT KVantaQoxPage : public KVantaPage
{
    Q_OBJECT
public:
    KVantaQoxPage(int widgetType, const QString& text, const QVariantMap& params, QWidget* parent = nullptr);
    ~KVantaQoxPage() override;

    // Whether pages of `widgetType` are document component pages.
    static bool isQoxWidgetType(int widgetType);

    void notifyAppcenterMsg(const QMap<QString, QString>& message);
    QList<QMap<QString, QString>> appcenterMessages() const { return m_appcenterMessages; }

signals:
    void appcenterMsgReceived();

private:
    QList<QMap<QString, QString>> m_appcenterMessages;
};

#endif
