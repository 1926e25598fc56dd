#ifndef KZEMBA_VDLLITE_KCEFCACHELOADINGWIDGET_H
#define KZEMBA_VDLLITE_KCEFCACHELOADINGWIDGET_H

#include "kzembaplatform_export.h"

#include <QBasicTimer>
#include <QColor>
#include <QWidget>

/// The plain waiting widget shown while a page loads: a ring of spokes that
/// turns while the widget is visible, with an optional line of text below it.
class KZEMBAPLATFORM_EXPORT KCefCacheLoadingWidget : public QWidget
{
    Q_OBJECT
public:
    // `scale` sizes the ring (0 or less: the default size); `animate` turns it; `translucent`
    // leaves the background unpainted.
    KCefCacheLoadingWidget(QWidget* parent, const QString& text, double scale, bool animate, bool translucent);
    ~KCefCacheLoadingWidget() override;

    QString text() const { return m_text; }
    int step() const { return m_step; }
    bool isAnimating() const { return m_timer.isActive(); }
    static QColor spokeColor();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    QString m_text;
    double m_scale;
    bool m_animate;
    bool m_translucent;
    int m_step = 0;
    QBasicTimer m_timer;
};

#endif
