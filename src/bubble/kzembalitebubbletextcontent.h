#ifndef KZEMBA_BUBBLE_KZEMBALITEBUBBLETEXTCONTENT_H
#define KZEMBA_BUBBLE_KZEMBALITEBUBBLETEXTCONTENT_H

#include "kzembajsapilite_export.h"

#include <QPointer>
#include <QWidget>

class KZembaLiteTextBubble;
class QLabel;

/// The paragraph inside a `KZembaLiteTextBubble`, with roomy line spacing in
/// the title colour of the current skin. The text may carry simple rich text.
class KZEMBAJSAPILITE_EXPORT KZembaLiteBubbleTextContent : public QWidget
{
    Q_OBJECT
public:
    explicit KZembaLiteBubbleTextContent(KZembaLiteTextBubble* bubble);

    virtual void setupUi();
    void setContent(const QString& text);
    QLabel* textLabel() const { return m_text; }

protected:
    virtual void setupBgColor();

    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_text = nullptr;
    QPointer<KZembaLiteTextBubble> m_bubble;
};

#endif
