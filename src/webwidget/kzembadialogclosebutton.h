#ifndef KZEMBA_WEBWIDGET_KZEMBADIALOGCLOSEBUTTON_H
#define KZEMBA_WEBWIDGET_KZEMBADIALOGCLOSEBUTTON_H

#include "kzembajsapilite_export.h"

#include <QAbstractButton>
#include <QIcon>

/// The close button of the store's frameless dialogs: the suite's 16-pixel
/// close icon with its own normal, hover and pressed drawings, scaled to the
/// screen.
class KZEMBAJSAPILITE_EXPORT KZembaDialogCloseButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit KZembaDialogCloseButton(QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

#endif
