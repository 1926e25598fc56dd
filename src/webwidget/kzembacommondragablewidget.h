#ifndef KZEMBA_WEBWIDGET_KZEMBACOMMONDRAGABLEWIDGET_H
#define KZEMBA_WEBWIDGET_KZEMBACOMMONDRAGABLEWIDGET_H

#include "webwidget/kzembacommonwebwidget.h"

#include <QPoint>
#include <QRect>

/// A store page widget whose window is dragged by a title area inside the page.
/// The title area is the top strip of the given height without its rightmost
/// 300 scaled pixels (kept for the page's buttons), or the area the page sets.
/// A drag starts when the page signals it, or is prepared by a left-button press
/// in the title area, and ends on the left-button release; a move beyond the
/// start-drag distance calls startDragWidget(), where a subclass moves its
/// window. A single-shot timer over the load time-out loads the error page when
/// the page takes too long.
class KZEMBAJSAPILITE_EXPORT KZembaCommonDragableWidget : public KZembaCommonWebWidget
{
    Q_OBJECT
public:
    KZembaCommonDragableWidget(QWidget* parent, const QString& name, int titleHeight);
    ~KZembaCommonDragableWidget() override;

    void setTitleBarRect(const QRect& rect);
    QRect titleBarRect() const { return m_titleArea; }
    QPoint dragStartPos() const { return m_dragStart; }
    bool isDragging() const { return m_dragging; }

    void startLoadMonitor() override;
    void stopLoadMonitor() override;

signals:
    // For subclasses that tell others about their drags.
    void dragWidget(uint id, const QPoint& position);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void initWebView() override;
    bool webViewEventFilter(QObject* watched, QEvent* event) override;
    // Records the cursor as the drag's start; subclasses move the window from there.
    virtual void startDragWidget();

private slots:
    void onDragWidget();
    void onSetDragArea(const QRect& rect);
    void onCefViewMouseLButtonUp(const QPoint& position);
    void onCefViewMouseMove(const QPoint& position);

private:
    // Whether the cursor went farther from the drag's start than a drag needs.
    bool cursorLeftDragStart() const;

    QRect m_titleArea;
    QPoint m_dragStart;
    int m_titleHeight;
    bool m_dragging = false;
};

#endif
