#ifndef KZEMBA_BUBBLE_KZEMBALITEBUBBLEHANDLER_H
#define KZEMBA_BUBBLE_KZEMBALITEBUBBLEHANDLER_H

#include "kzembajsapilite_export.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

class KZembaLiteBubble;

/// Owns one bubble for a caller: creates it on demand (once per handler, under
/// the nearest widget among the handler's ancestors), hides it eight seconds
/// after it shows when auto-hide is on, and hides and deletes it on request.
/// The caller installs the handler as the bubble's event filter so that the
/// handler sees the bubble show and being clicked.
class KZEMBAJSAPILITE_EXPORT KZembaLiteBubbleHandler : public QObject
{
    Q_OBJECT
public:
    KZembaLiteBubbleHandler(QObject* parent, bool autoHide);

    virtual void prepareBubble();
    virtual void hideBubble();
    // Called when the user clicks the bubble; nothing happens here.
    virtual void onBubbleClicked();

public slots:
    virtual void onDisplayBubbleTimeOut();

public:
    // Only with auto-hide.
    void setTimeInterval(int ms);
    KZembaLiteBubble* bubble() const;

    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    virtual void createBubble();

    QPointer<KZembaLiteBubble> m_bubble;
    bool m_created = false;

private:
    QTimer m_displayTimer;
    bool m_autoHide;
};

#endif
