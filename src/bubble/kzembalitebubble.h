#ifndef KZEMBA_BUBBLE_KZEMBALITEBUBBLE_H
#define KZEMBA_BUBBLE_KZEMBALITEBUBBLE_H

#include "kabnormityshadoweventfilter.h"
#include "kzembajsapilite_export.h"

#include <QPointer>
#include <QWidget>

class KZembaLiteBubbleContent;
class KZembaLiteBubbleHandler;
class KZembaPluginLoadCloseButton;

/// A fixed-size card that points at a widget of the suite: a highlighted tag
/// (the sub title) left of a title, on a rounded body with a soft shadow and an
/// arrow, in the light or dark skin. It is built on its first show; titles set
/// before that appear then. It hides with its target, deletes itself when the
/// target changes parent and when it is closed.
class KZEMBAJSAPILITE_EXPORT KZembaLiteBubble : public QWidget
{
    Q_OBJECT
public:
    KZembaLiteBubble(QWidget* parent, KZembaLiteBubbleHandler* handler, KShadowArrowType arrowType);

    void setMainTitle(const QString& title);
    void setSubTitle(const QString& title);
    QString mainTitle() const { return m_mainTitle; }
    QString subTitle() const { return m_subTitle; }

    // Shows the bubble, only before its first show and when it could be placed.
    void showItSelf();
    // Whether the first show adds a close button.
    void setShowCloseButton(bool show);
    KZembaPluginLoadCloseButton* closeButton();
    void updateCloseButtonPos();

    int margin() const { return m_margin; }
    int shadowWidth() const { return m_shadowWidth; }
    KZembaLiteBubbleHandler* handler() const;
    KZembaLiteBubbleContent* content() const;
    int getTabType() const { return m_tabType; }
    void setHasOptionalText(bool hasText) { m_hasOptionalText = hasText; }
    bool hasOptionalText() const { return m_hasOptionalText; }

    // Builds the layout, the content and the shadow; once.
    virtual void ensureInited();

protected:
    // Places the bubble before it shows; false keeps it hidden.
    virtual bool adjustPos();
    virtual void setupMaterial();

    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString m_mainTitle;
    QString m_subTitle;
    QPointer<KZembaLiteBubbleContent> m_content;
    QPointer<KZembaLiteBubbleHandler> m_handler;
    int m_tabType = 0;
    bool m_inited = false;
    int m_margin;
    int m_shadowWidth;
    bool m_showPending = true;
    QPointer<QWidget> m_target;
    bool m_showCloseButton = false;
    KZembaPluginLoadCloseButton* m_closeButton = nullptr;
    bool m_hasOptionalText = true;
    KShadowArrowType m_arrowType;
};

#endif
