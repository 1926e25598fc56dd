#ifndef KZEMBA_BUBBLE_KZEMBALITEBUBBLECONTENT_H
#define KZEMBA_BUBBLE_KZEMBALITEBUBBLECONTENT_H

#include "kzembajsapilite_export.h"

#include <QPointer>
#include <QWidget>

class KZembaLiteBubble;
class QLabel;

/// The card inside a `KZembaLiteBubble`: the sub title as a coloured tag left
/// of the main title, on the body colour of the theme.
class KZEMBAJSAPILITE_EXPORT KZembaLiteBubbleContent : public QWidget
{
    Q_OBJECT
public:
    explicit KZembaLiteBubbleContent(KZembaLiteBubble* bubble);

    virtual void setupUi();

    QLabel* mainTitleLabel() const { return m_mainTitle; }
    QLabel* subTitleLabel() const { return m_subTitle; }
    // Whether the sub title is drawn on the tag colour.
    void setTagVisible(bool visible);

protected:
    // Title colours for the current skin; run at every paint so that a skin switch shows at once.
    virtual void setupBgColor();
    virtual QString localResPath(const QString& name) const;

    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_mainTitle = nullptr;
    QLabel* m_subTitle = nullptr;
    QPointer<KZembaLiteBubble> m_bubble;
    bool m_tag = true;
};

#endif
