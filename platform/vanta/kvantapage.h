#ifndef KZEMBA_VANTA_KVANTAPAGE_H
#define KZEMBA_VANTA_KVANTAPAGE_H

#include "kzembaplatform_export.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <QWidget>

class KVantaSubPages;

/// One notification handed to a page.
struct KZEMBAPLATFORM_EXPORT KVantaPageNotification
{
    QString text;
    QStringList list;
    int event = 0;
    int flags = 0;
    QVariantMap extra;
};

/// A page of a main window's central area: a widget type, the argument text it
/// was opened with, and its sub-pages, which start with one sub-page of the
/// page's own type. Components talk to a shown page through its notification
/// operation; the page keeps every notification it received.
class KZEMBAPLATFORM_EXPORT KVantaPage : public QWidget
{
    Q_OBJECT
public:
    KVantaPage(int widgetType, const QString& text, const QVariantMap& params, QWidget* parent = nullptr);
    ~KVantaPage() override;

    int widgetType() const { return m_widgetType; }
    QString text() const { return m_text; }
    QVariantMap params() const { return m_params; }
    KVantaSubPages* subPages() const { return m_subPages; }

    void notifyPage(const QString& text, const QStringList& list, int event, int flags, const QVariantMap& extra);
    QList<KVantaPageNotification> notifications() const { return m_notifications; }

signals:
    void notified();

private:
    int m_widgetType;
    QString m_text;
    QVariantMap m_params;
    KVantaSubPages* m_subPages;
    QList<KVantaPageNotification> m_notifications;
};

#endif
