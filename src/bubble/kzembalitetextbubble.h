#ifndef KZEMBA_BUBBLE_KZEMBALITETEXTBUBBLE_H
#define KZEMBA_BUBBLE_KZEMBALITETEXTBUBBLE_H

#include "kabnormityshadoweventfilter.h"
#include "kzembajsapilite_export.h"

#include <QPointer>
#include <QWidget>

class KZembaLiteBubbleHandler;
class KZembaLiteBubbleTextContent;
class KZembaPluginLoadCloseButton;

/// A fixed-width bubble with a paragraph of text and a close button, drawn like
/// `KZembaLiteBubble`; its height follows the text. Text set before the first
/// show appears then.
class KZEMBAJSAPILITE_EXPORT KZembaLiteTextBubble : public QWidget
{
    Q_OBJECT
public:
    KZembaLiteTextBubble(QWidget* parent, KZembaLiteBubbleHandler* handler, KShadowArrowType arrowType);

    void setContent(const QString& text);
    QString contentText() const { return m_text; }

    void showItSelf();
    KZembaPluginLoadCloseButton* closeButton();
    void updateCloseButtonPos();

    int margin() const { return m_margin; }
    int shadowWidth() const { return m_shadowWidth; }
    KZembaLiteBubbleHandler* handler() const;
    KZembaLiteBubbleTextContent* content() const;

    virtual void ensureInited();

protected:
    virtual bool adjustPos();
    virtual void setupMaterial();

    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<KZembaLiteBubbleTextContent> m_content;
    QPointer<KZembaLiteBubbleHandler> m_handler;
    bool m_inited = false;
    int m_margin;
    int m_shadowWidth;
    bool m_showPending = true;
    QPointer<QWidget> m_target;
    KZembaPluginLoadCloseButton* m_closeButton = nullptr;
    KShadowArrowType m_arrowType;
    QString m_text;
};

#endif
