#include "kzembalitebubblehandler.h"

#include "kzembalitebubble.h"

#include <QEvent>

namespace {
const int kDisplayMs = 8000;
} // namespace

KZembaLiteBubbleHandler::KZembaLiteBubbleHandler(QObject* parent, bool autoHide)
    : QObject(parent)
    , m_autoHide(autoHide)
{
    if (m_autoHide) {
        m_displayTimer.setInterval(kDisplayMs);
        m_displayTimer.setSingleShot(true);
        connect(&m_displayTimer, &QTimer::timeout, this, &KZembaLiteBubbleHandler::onDisplayBubbleTimeOut);
    }
}

void KZembaLiteBubbleHandler::prepareBubble()
{
    if (!m_bubble && !m_created)
        createBubble();
}

void KZembaLiteBubbleHandler::createBubble()
{
    if (m_created || m_bubble)
        return;
    QWidget* host = nullptr;
    for (QObject* ancestor = parent(); ancestor; ancestor = ancestor->parent()) {
        if (ancestor->isWidgetType()) {
            host = static_cast<QWidget*>(ancestor);
            break;
        }
    }
    m_bubble = new KZembaLiteBubble(host, this, ShadowArrowTop);
    m_created = true;
}

void KZembaLiteBubbleHandler::hideBubble()
{
    if (!m_bubble)
        return;
    m_bubble->removeEventFilter(this);
    m_bubble->hide();
    m_bubble->deleteLater();
    m_bubble = nullptr;
}

void KZembaLiteBubbleHandler::onBubbleClicked()
{
}

void KZembaLiteBubbleHandler::onDisplayBubbleTimeOut()
{
    hideBubble();
}

void KZembaLiteBubbleHandler::setTimeInterval(int ms)
{
    if (m_autoHide)
        m_displayTimer.setInterval(ms);
}

KZembaLiteBubble* KZembaLiteBubbleHandler::bubble() const
{
    return m_bubble;
}

bool KZembaLiteBubbleHandler::eventFilter(QObject* watched, QEvent* event)
{
    if (m_bubble && watched == m_bubble) {
        if (event->type() == QEvent::Show && m_autoHide && !m_displayTimer.isActive())
            m_displayTimer.start();
        else if (event->type() == QEvent::MouseButtonRelease)
            onBubbleClicked();
    }
    return QObject::eventFilter(watched, event);
}
