#include "kzembacommondragablewidget.h"

#include <ui/klitestyle.h>
#include <vdllite/kxcommonjsapi.h>
#include <vdllite/kxwebviewcontainer.h>

#include <QApplication>
#include <QCursor>
#include <QMetaObject>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QTimer>

namespace {
// The right end of the title strip stays free for the page's buttons.
const int kButtonsWidth = 300;
// From this screen scale on, lengths a page reports are always scaled.
const qreal kAlwaysScaledFrom = 1.5;

int scaled(int value)
{
    return int(KLiteStyle::dpiScaled(value));
}
} // namespace

KZembaCommonDragableWidget::KZembaCommonDragableWidget(QWidget* parent, const QString& name, int titleHeight)
    : KZembaCommonWebWidget(parent, name, zemba::base::KZembaWidgetTypeNone)
    , m_titleHeight(titleHeight)
{
}

KZembaCommonDragableWidget::~KZembaCommonDragableWidget() = default;

void KZembaCommonDragableWidget::setTitleBarRect(const QRect& rect)
{
    m_titleArea = rect;
}

void KZembaCommonDragableWidget::initWebView()
{
    KZembaCommonWebWidget::initWebView();
    connectIfPresent(jsApi(), SIGNAL(dragWidget()), this, SLOT(onDragWidget()));
    connectIfPresent(jsApi(), SIGNAL(setDragArea(const QRect&)), this, SLOT(onSetDragArea(const QRect&)));
    // The view joins the container once the browser exists; the container signals for it.
    if (KxWebViewContainer* view = container()) {
        connectIfPresent(view, SIGNAL(browserMouseMove(QPoint)), this, SLOT(onCefViewMouseMove(QPoint)));
        connectIfPresent(view, SIGNAL(browserLbuttonUp(QPoint)), this, SLOT(onCefViewMouseLButtonUp(QPoint)));
    }
}

void KZembaCommonDragableWidget::startLoadMonitor()
{
    if (loadTimeout() <= 0)
        return;
    if (!m_loadTimer) {
        m_loadTimer = new QTimer(this);
        m_loadTimer->setSingleShot(true);
        m_loadTimer->setInterval(loadTimeout());
        connect(m_loadTimer, &QTimer::timeout, this, &KZembaCommonDragableWidget::onLoadedTimeout);
    }
    m_loadTimer->start();
}

void KZembaCommonDragableWidget::stopLoadMonitor()
{
    if (m_loadTimer)
        m_loadTimer->stop();
}

void KZembaCommonDragableWidget::onDragWidget()
{
    m_dragStart = QCursor::pos();
    m_dragging = true;
}

void KZembaCommonDragableWidget::onCefViewMouseLButtonUp(const QPoint&)
{
    m_dragging = false;
}

void KZembaCommonDragableWidget::onCefViewMouseMove(const QPoint&)
{
    if (m_dragging && cursorLeftDragStart())
        startDragWidget();
}

bool KZembaCommonDragableWidget::cursorLeftDragStart() const
{
    return (m_dragStart - QCursor::pos()).manhattanLength() > QApplication::startDragDistance();
}

void KZembaCommonDragableWidget::startDragWidget()
{
    m_dragStart = QCursor::pos();
}

void KZembaCommonDragableWidget::onSetDragArea(const QRect& rect)
{
    const qreal scale = KLiteStyle::scaleFactor();
    const bool browserZooms = container() && container()->browserZoomsForScale(scale) != 0;
    if (scale < kAlwaysScaledFrom && !browserZooms) {
        m_titleArea = rect;
        return;
    }
    m_titleArea = QRect(int(rect.x() * scale), int(rect.y() * scale), int(rect.width() * scale),
                        int(rect.height() * scale));
}

void KZembaCommonDragableWidget::resizeEvent(QResizeEvent* event)
{
    const int right = event->size().width() - scaled(kButtonsWidth) - 1;
    const int bottom = scaled(m_titleHeight) - 1;
    if (right >= 0 && bottom >= 0)
        m_titleArea = QRect(QPoint(0, 0), QPoint(right, bottom));
    KZembaCommonWebWidget::resizeEvent(event);
}

bool KZembaCommonDragableWidget::webViewEventFilter(QObject* watched, QEvent* event)
{
    if (m_dragging) {
        if (event->type() == QEvent::MouseButtonRelease)
            m_dragging = false;
        else if (event->type() == QEvent::MouseMove && cursorLeftDragStart())
            startDragWidget();
    } else if (event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::LeftButton && m_titleArea.contains(press->localPos().toPoint()))
            m_dragStart = QCursor::pos();
    }
    return KZembaCommonWebWidget::webViewEventFilter(watched, event);
}
