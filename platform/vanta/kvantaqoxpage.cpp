#include "kvantaqoxpage.h"

#include "kvantapluginwidget.h"

KVantaQoxPage::KVantaQoxPage(int widgetType, const QString& text, const QVariantMap& params, QWidget* parent)
    : KVantaPage(widgetType, text, params, parent)
{
}

KVantaQoxPage::~KVantaQoxPage() = default;

bool KVantaQoxPage::isQoxWidgetType(int widgetType)
{
    return widgetType == KVantaPluginWidget::TextDocumentWidget || widgetType == KVantaPluginWidget::SpreadsheetWidget
           || widgetType == KVantaPluginWidget::PresentationWidget;
}

void KVantaQoxPage::notifyAppcenterMsg(const QMap<QString, QString>& message)
{
    m_appcenterMessages.append(message);
    emit appcenterMsgReceived();
}
