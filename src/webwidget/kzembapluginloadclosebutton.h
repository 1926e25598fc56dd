#ifndef KZEMBA_WEBWIDGET_KZEMBAPLUGINLOADCLOSEBUTTON_H
#define KZEMBA_WEBWIDGET_KZEMBAPLUGINLOADCLOSEBUTTON_H

#include "kzembajsapilite_export.h"

#include <QAbstractButton>

/// A 16-pixel close button that draws one of four prepared close images by
/// its state. The images are rendered once per process, at the size of the
/// first button, and every later button shares them.
class KZEMBAJSAPILITE_EXPORT KZembaPluginLoadCloseButton : public QAbstractButton
{
public:
    explicit KZembaPluginLoadCloseButton(QWidget* parent = nullptr);

    QSize sizeHint() const override;

    // The shared image for `index` (0 normal, 1, 2, 3 disabled); an index outside 0..3 gives image 0.
    QPixmap getCloseImage(int index) const;
    // The image index for the button's state: pressed 1, under the mouse 2, disabled 3, else 0.
    int getImageIndex() const;

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

#endif
