#include "kxwebviewpage.h"

#include "kxwebviewcontainer.h"

KxWebViewPage::KxWebViewPage(QObject* parent)
    : QObject(parent)
{
}

KxWebViewPage::~KxWebViewPage() = default;

KxWebViewContainer* KxWebViewPage::container() const
{
    return qobject_cast<KxWebViewContainer*>(parent());
}

void KxWebViewPage::load(const QUrl& url)
{
    m_url = url;
    m_errorMessage.clear();
}

QUrl KxWebViewPage::url() const
{
    return m_url;
}
