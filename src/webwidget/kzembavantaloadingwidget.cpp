#include "kzembavantaloadingwidget.h"

#include <krt/krt.h>
#include <ui/kdrawhelper.h>
#include <ui/kiconset.h>
#include <ui/klitestyle.h>

#include <QHBoxLayout>
#include <QPainter>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QSpacerItem>
#include <QStackedLayout>
#include <QStyleOption>
#include <QVBoxLayout>

#include <climits>

namespace {

const int kFrameCount = 30;

int dpi(qreal value)
{
    return int(KLiteStyle::dpiScaled(value));
}

// Seconds from callers become timer milliseconds without overflowing.
int secondsToMs(int seconds)
{
    return qMin(seconds, INT_MAX / 1000) * 1000;
}

QString colorText(const QColor& color)
{
    return QStringLiteral("#%1%2%3")
        .arg(color.red(), 2, 16, QLatin1Char('0'))
        .arg(color.green(), 2, 16, QLatin1Char('0'))
        .arg(color.blue(), 2, 16, QLatin1Char('0'));
}

} // namespace

KZembaVantaLoadingWidget::KZembaVantaLoadingWidget(QWidget* parent, const QString& loadingText,
                                                   const QString& waitingText, const QString& failureText,
                                                   const QString& retryText, QString errorIconPath, bool withBottom,
                                                   bool withTitle, int waitSeconds, int timeoutSeconds)
    : QWidget(parent)
    , m_withBottom(withBottom)
    , m_withTitle(withTitle)
    , m_timeoutSeconds(timeoutSeconds)
    , m_waitSeconds(waitSeconds)
    , m_retryText(retryText)
    , m_loadingText(loadingText)
    , m_waitingText(waitingText)
    , m_failureText(failureText)
{
    m_waitTimer.setSingleShot(true);
    m_timeoutTimer.setSingleShot(true);
    setAttribute(Qt::WA_DontCreateNativeAncestors);
    if (!krt::product::isVantaShelllessMode(false))
        setAttribute(Qt::WA_NativeWindow);
    setupUI();
    connect(&m_timeoutTimer, &QTimer::timeout, this, &KZembaVantaLoadingWidget::onTimeout);
    connect(&m_timeoutTimer, &QTimer::timeout, this, &KZembaVantaLoadingWidget::signalTimeout);
    connect(&m_waitTimer, &QTimer::timeout, this, &KZembaVantaLoadingWidget::onWaitTimerout);
    m_errorIconPath = std::move(errorIconPath);
}

KZembaVantaLoadingWidget::~KZembaVantaLoadingWidget()
{
    m_animation->stop();
}

void KZembaVantaLoadingWidget::setupUI()
{
    auto* mainLayout = new QVBoxLayout(this);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    mainLayout->setSpacing(0);
    if (m_withTitle) {
        m_titleLayout = new QVBoxLayout;
        mainLayout->addLayout(m_titleLayout);
    } else {
        m_upSpacer = new QSpacerItem(0, dpi(155), QSizePolicy::Minimum, QSizePolicy::Fixed);
        mainLayout->addSpacerItem(m_upSpacer);
    }
    mainLayout->addStretch();
    m_stackedLayout = new QStackedLayout;
    mainLayout->addLayout(m_stackedLayout);
    mainLayout->addStretch();
    if (m_withBottom) {
        m_bottomLayout = new QVBoxLayout;
        mainLayout->addLayout(m_bottomLayout);
    } else {
        mainLayout->addSpacing(dpi(155));
    }

    m_animation = new QPropertyAnimation(this, "index", this);
    m_animation->setDuration(1000);
    m_animation->setLoopCount(-1);
    m_animation->setStartValue(0);
    m_animation->setEndValue(kFrameCount - 1);
}

void KZembaVantaLoadingWidget::ensureLoadingPage()
{
    if (m_loadingPage)
        return;
    m_loadingPage = new QWidget(this);
    auto* pageLayout = new QVBoxLayout(m_loadingPage);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);
    pageLayout->addStretch();
    pageLayout->addWidget(&m_loadingLabel, 0, Qt::AlignCenter);
    pageLayout->addSpacing(dpi(16));

    auto* tipsRow = new QHBoxLayout;
    tipsRow->setContentsMargins(0, 0, 0, 0);
    tipsRow->setSpacing(dpi(7));
    tipsRow->addStretch();
    m_tipsLabel.setPalette(getTipsColor());
    m_tipsLabel.setFont(getTipsFont());
    m_tipsLabel.setWordWrap(false);
    tipsRow->addWidget(&m_tipsLabel, 0, Qt::AlignCenter);
    tipsRow->addStretch();
    pageLayout->addLayout(tipsRow);
    pageLayout->addSpacing(dpi(4));

    auto* failedTips = new QVBoxLayout;
    pageLayout->addLayout(failedTips);
    createLoadFailedTips(failedTips);
    pageLayout->addSpacing(dpi(16));

    auto* buttonRow = new QHBoxLayout;
    createDiagnosticButton(buttonRow);
    m_retryButton = new QPushButton(m_retryText, m_loadingPage);
    m_retryButton->setFixedSize(dpi(72), dpi(32));
    m_retryButton->setStyleSheet(createButtonStyleSheet(QColor(31, 105, 224), QColor(69, 139, 250), QColor(30, 95, 199),
                                                        QColor(255, 255, 255), QColor(30, 95, 199), dpi(5), dpi(13),
                                                        dpi(0)));
    m_retryButton->hide();
    connect(m_retryButton, &QPushButton::clicked, this, &KZembaVantaLoadingWidget::onReloadClicked);
    buttonRow->addWidget(m_retryButton, 0, Qt::AlignCenter);
    pageLayout->addLayout(buttonRow);
    pageLayout->addStretch();

    m_stackedLayout->addWidget(m_loadingPage);
}

void KZembaVantaLoadingWidget::ensureFrameImages()
{
    if (!m_frameImages.isEmpty())
        return;
    const QPixmap strip = KDrawHelper::colorizeByClass(
        KIconSet::pixmap(QStringLiteral("open_directly"), QSize(dpi(2160), dpi(72))), metaObject()->className());
    if (strip.isNull())
        return;
    const int frameWidth = strip.width() / kFrameCount;
    for (int i = 0; i < kFrameCount; ++i)
        m_frameImages.append(strip.copy(i * frameWidth, 0, frameWidth, strip.height()));
}

void KZembaVantaLoadingWidget::showLoadingPage(bool startTimers)
{
    ensureLoadingPage();
    m_tipsLabel.setText(m_loadingText);
    m_loadingLabel.setVisible(true);
    m_retryButton->hide();

    ensureFrameImages();
    // A retry after a failure must not keep showing the error image.
    m_loadingLabel.setPixmap(m_loadingIcon.isNull() ? m_frameImages.value(0) : m_loadingIcon);
    if (m_animation->state() != QAbstractAnimation::Running)
        m_animation->start();

    if (!startTimers)
        return;
    if (m_timeoutSeconds > 0)
        m_timeoutTimer.start(secondsToMs(m_timeoutSeconds));
    if (m_waitSeconds >= 1)
        m_waitTimer.start(secondsToMs(m_waitSeconds));
}

void KZembaVantaLoadingWidget::startLoadingAnim()
{
    ensureFrameImages();
    if (m_animation->state() != QAbstractAnimation::Running)
        m_animation->start();
}

void KZembaVantaLoadingWidget::stopLoadingAnim()
{
    if (m_animation->state() != QAbstractAnimation::Stopped)
        m_animation->stop();
}

void KZembaVantaLoadingWidget::stopLoading()
{
    m_waitTimer.stop();
    m_timeoutTimer.stop();
    stopLoadingAnim();
}

void KZembaVantaLoadingWidget::setLoadingIcon(const QPixmap& pixmap)
{
    m_loadingIcon = pixmap;
    m_loadingLabel.setPixmap(pixmap);
}

void KZembaVantaLoadingWidget::setLoadingTips(const QString& text)
{
    m_failureText = text;
    m_tipsLabel.setText(text);
}

void KZembaVantaLoadingWidget::setReloadButtonVisible(bool visible)
{
    m_reloadButtonAllowed = visible;
}

void KZembaVantaLoadingWidget::setRetryButtonText(const QString& text)
{
    m_retryText = text;
    if (m_retryButton)
        m_retryButton->setText(text);
}

void KZembaVantaLoadingWidget::setErrorIconPixmap(const QString& path)
{
    m_errorIconPath = path;
}

QString KZembaVantaLoadingWidget::createButtonStyleSheet(const QColor& background, const QColor& hoverBackground,
                                                         const QColor& pressedBackground, const QColor& textColor,
                                                         const QColor& borderColor, int radius, int fontSize,
                                                         int borderWidth)
{
    return QStringLiteral("QPushButton{ background-color:%1; color:%2; border-radius:%3px; font-size:%4px;"
                          "border-width:%7px; border-color:%8; border-style:solid;}"
                          "QPushButton:hover{ background-color:%5; color:%2; border-radius:%3px; font-size:%4px }"
                          "QPushButton:pressed{ background-color:%6; color:%2; border-radius:%3px; font-size:%4px }")
        .arg(colorText(background), colorText(textColor), QString::number(radius), QString::number(fontSize),
             colorText(hoverBackground), colorText(pressedBackground), QString::number(borderWidth),
             colorText(borderColor));
}

void KZembaVantaLoadingWidget::setIndex(int)
{
}

QFont KZembaVantaLoadingWidget::getTipsFont() const
{
    QFont font;
    font.setPixelSize(dpi(14));
    return font;
}

QPalette KZembaVantaLoadingWidget::getTipsColor() const
{
    QPalette palette = m_tipsLabel.palette();
    palette.setColor(QPalette::WindowText, QColor(37, 37, 37));
    return palette;
}

void KZembaVantaLoadingWidget::createDiagnosticButton(QHBoxLayout*)
{
}

void KZembaVantaLoadingWidget::createLoadFailedTips(QVBoxLayout*)
{
}

void KZembaVantaLoadingWidget::paintEvent(QPaintEvent*)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    KDrawHelper::drawBackGround(&painter, rect(), QString::fromLatin1(metaObject()->className()), &option);
}

void KZembaVantaLoadingWidget::onWaitTimerout()
{
    m_tipsLabel.setText(m_waitingText);
    if (m_waitTimer.isActive())
        m_waitTimer.stop();
}

void KZembaVantaLoadingWidget::onTimeout()
{
    stopLoadingAnim();
    if (m_errorImage.isNull()) {
        const QPixmap loaded(m_errorIconPath);
        if (!loaded.isNull())
            m_errorImage = loaded.scaled(QSize(dpi(100), dpi(100)), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    m_loadingLabel.setPixmap(m_errorImage);
    m_tipsLabel.setText(m_failureText);
    if (m_retryButton && m_reloadButtonAllowed)
        m_retryButton->setVisible(true);
    m_waitTimer.stop();
    m_timeoutTimer.stop();
}

void KZembaVantaLoadingWidget::onReloadClicked()
{
    emit signalReload();
    m_reloadClicked = true;
}

void KZembaVantaLoadingWidget::writeIndex(int index)
{
    m_index = index;
    setIndex(index);
}
