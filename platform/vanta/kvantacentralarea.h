#ifndef KZEMBA_VANTA_KVANTACENTRALAREA_H
#define KZEMBA_VANTA_KVANTACENTRALAREA_H

#include "kzembaplatform_export.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <QWidget>

class KVantaPage;

/// One addPage() request as the central area received it.
struct KZEMBAPLATFORM_EXPORT KVantaAddPageRequest
{
    int widgetType = -1;
    QString text;
    QVariantMap params;
};

/// The central area of a main window: it holds the window's pages and shows
/// one of them. A new page gets a tab in the window's tab bar, when the window
/// has one. The area refuses a page of a negative widget type, and any page
/// once it holds "vanta/maxPages" pages (runtime configuration; 0 or unset
/// means no limit). It keeps every addPage() request.
class KZEMBAPLATFORM_EXPORT KVantaCentralArea : public QWidget
{
    Q_OBJECT
public:
    explicit KVantaCentralArea(QWidget* parent = nullptr);
    ~KVantaCentralArea() override;

    // The new page, owned by the area, or null when the area refuses it. Document types
    // (3, 4, 5) get a KVantaQoxPage.
    KVantaPage* addPage(int widgetType, const QString& text, const QVariantMap& params);

    QList<KVantaPage*> pages() const;
    // The first page of that widget type, or null.
    KVantaPage* pageByType(int widgetType) const;
    KVantaPage* currentPage() const;
    // Pages of other areas are ignored.
    void setCurrentPage(KVantaPage* page);

    QList<KVantaAddPageRequest> addPageRequests() const { return m_requests; }

signals:
    void pageAdded(KVantaPage* page);
    void currentPageChanged(KVantaPage* page);

private:
    QList<QPointer<KVantaPage>> m_pages;
    QPointer<KVantaPage> m_current;
    QList<KVantaAddPageRequest> m_requests;
};

#endif
