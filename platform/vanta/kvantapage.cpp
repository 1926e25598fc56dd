#include "kvantapage.h"

#include "kvantasubpages.h"

KVantaPage::KVantaPage(int widgetType, const QString& text, const QVariantMap& params, QWidget* parent)
    : QWidget(parent)
    , m_widgetType(widgetType)
    , m_text(text)
    , m_params(params)
    , m_subPages(new KVantaSubPages(this))
{
    m_subPages->addSubPage(widgetType);
}

KVantaPage::~KVantaPage() = default;

void KVantaPage::notifyPage(const QString& text, const QStringList& list, int event, int flags,
                            const QVariantMap& extra)
{
    m_notifications.append({text, list, event, flags, extra});
    emit notified();
}
