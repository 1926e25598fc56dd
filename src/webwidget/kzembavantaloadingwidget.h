#ifndef KZEMBA_WEBWIDGET_KZEMBAVANTALOADINGWIDGET_H
#define KZEMBA_WEBWIDGET_KZEMBAVANTALOADINGWIDGET_H

#include "kzembajsapilite_export.h"

#include <QLabel>
#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>

class QHBoxLayout;
class QPropertyAnimation;
class QPushButton;
class QSpacerItem;
class QStackedLayout;
class QVBoxLayout;

/// The placeholder that a page host shows while a store page loads: a loading
/// image with a line of text, a second text after a waiting period and, when
/// the load takes too long, an error image, a failure text and a retry button.
/// It raises `signalTimeout()` when the time limit passes and `signalReload()`
/// when the user asks to retry. The animation drives the property "index" from
/// 0 to 29 once a second; subclasses show that frame of `frameImages()` in
/// `setIndex`, draw their own tips and add diagnostics.
class KZEMBAJSAPILITE_EXPORT KZembaVantaLoadingWidget : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int index READ getIndex WRITE writeIndex)
public:
    KZembaVantaLoadingWidget(QWidget* parent, const QString& loadingText, const QString& waitingText,
                             const QString& failureText, const QString& retryText, QString errorIconPath,
                             bool withBottom, bool withTitle, int waitSeconds, int timeoutSeconds);
    ~KZembaVantaLoadingWidget() override;

    // Shows the loading state; with `startTimers` the wait and time-out periods start too.
    virtual void showLoadingPage(bool startTimers);
    void startLoadingAnim();
    void stopLoadingAnim();
    void stopLoading();

    void setLoadingIcon(const QPixmap& pixmap);
    // Replaces the failure text and shows the text now.
    void setLoadingTips(const QString& text);
    // Whether a time-out shows the retry button; a button already shown stays.
    void setReloadButtonVisible(bool visible);
    void setRetryButtonText(const QString& text);
    // Takes effect only until the error image has been loaded.
    void setErrorIconPixmap(const QString& path);

    QVBoxLayout* getBottomLayout() const { return m_bottomLayout; }
    QVBoxLayout* getTitleLayout() const { return m_titleLayout; }
    QPropertyAnimation* getLoadingAnim() const { return m_animation; }
    QSpacerItem* getUpSpacerItem() const { return m_upSpacer; }
    QLabel* getLoadingLabel() { return &m_loadingLabel; }
    QLabel* getLoadingTips() { return &m_tipsLabel; }
    int getIndex() const { return m_index; }
    // Whether the user has asked to retry since the widget was made.
    bool isReloadClicked() const { return m_reloadClicked; }

    static QString createButtonStyleSheet(const QColor& background, const QColor& hoverBackground,
                                          const QColor& pressedBackground, const QColor& textColor,
                                          const QColor& borderColor, int radius, int fontSize, int borderWidth);

signals:
    void signalReload();
    void signalTimeout();
    // For subclasses that learn of a load error themselves; this class never raises it.
    void onLoadError();

protected:
    // Called with every animation step; shows nothing here, so the loading image stands still.
    virtual void setIndex(int index);
    virtual QFont getTipsFont() const;
    virtual QPalette getTipsColor() const;
    virtual void createDiagnosticButton(QHBoxLayout* layout);
    virtual void createLoadFailedTips(QVBoxLayout* layout);

    void paintEvent(QPaintEvent* event) override;

    // The 30 animation frames, built on first use.
    const QList<QPixmap>& frameImages() const { return m_frameImages; }

protected slots:
    virtual void onWaitTimerout();
    virtual void onTimeout();
    void onReloadClicked();

private:
    void setupUI();
    void ensureLoadingPage();
    void ensureFrameImages();
    void writeIndex(int index);

    QTimer m_waitTimer;
    QTimer m_timeoutTimer;
    bool m_withBottom;
    bool m_withTitle;
    bool m_reloadButtonAllowed = true;
    bool m_reloadClicked = false;
    int m_timeoutSeconds;
    int m_waitSeconds;
    QLabel m_loadingLabel;
    QLabel m_tipsLabel;
    QStackedLayout* m_stackedLayout = nullptr;
    QPointer<QWidget> m_loadingPage;
    QString m_retryText;
    QPointer<QPushButton> m_retryButton;
    QVBoxLayout* m_bottomLayout = nullptr;
    QSpacerItem* m_upSpacer = nullptr;
    QVBoxLayout* m_titleLayout = nullptr;
    int m_index = 0;
    QPropertyAnimation* m_animation = nullptr;
    QList<QPixmap> m_frameImages;
    QString m_errorIconPath;
    QPixmap m_errorImage;
    QPixmap m_loadingIcon;
    QString m_loadingText;
    QString m_waitingText;
    QString m_failureText;
};

#endif
