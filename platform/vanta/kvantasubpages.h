#ifndef KZEMBA_VANTA_KVANTASUBPAGES_H
#define KZEMBA_VANTA_KVANTASUBPAGES_H

#include "kzembaplatform_export.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class KVantaSubPage;

/// The sub-pages of one page, in the order they were added; the first is the
/// page's initial sub-page. One of them is current.
class KZEMBAPLATFORM_EXPORT KVantaSubPages : public QWidget
{
    Q_OBJECT
public:
    explicit KVantaSubPages(QWidget* parent = nullptr);
    ~KVantaSubPages() override;

    // Adds a sub-page owned by this object; the first one added becomes current.
    KVantaSubPage* addSubPage(int widgetType);

    QList<KVantaSubPage*> subPages() const;
    KVantaSubPage* initialSubPage() const;
    KVantaSubPage* currentSubPage() const;
    void setCurrentSubPage(KVantaSubPage* subPage);

private:
    QList<QPointer<KVantaSubPage>> m_subPages;
    QPointer<KVantaSubPage> m_current;
};

#endif
