#include "kvantapluginwidget.h"

#include <krt/kruntimeconfig.h>

namespace {

struct NamedType
{
    const char* name;
    KVantaPluginWidget::WidgetType type;
};

const NamedType kShellTypes[] = {
    {"start", KVantaPluginWidget::StartWidget},
    {"browser", KVantaPluginWidget::BrowserWidget},
    {"plugin", KVantaPluginWidget::PluginWidget},
    {"text", KVantaPluginWidget::TextDocumentWidget},
    {"spreadsheet", KVantaPluginWidget::SpreadsheetWidget},
    {"presentation", KVantaPluginWidget::PresentationWidget},
    {"pdf", KVantaPluginWidget::PdfWidget},
};

} // namespace

KVantaPluginWidget::KVantaPluginWidget(int widgetType, QWidget* parent)
    : QWidget(parent)
    , m_widgetType(widgetType)
{
}

KVantaPluginWidget::~KVantaPluginWidget() = default;

KVantaPluginWidget::WidgetType KVantaPluginWidget::convertWidgetType(const QString& name)
{
    if (name.isEmpty())
        return InvalidWidget;
    // A plug-in's configured type wins over a shell name, as an installed plug-in
    // may take over one of the shell's pages.
    const QVariant configured = krt::KRuntimeConfig::value(QStringLiteral("vanta/widgetTypes/") + name);
    if (configured.isValid()) {
        bool ok = false;
        const int type = configured.toInt(&ok);
        return ok && type >= 0 ? static_cast<WidgetType>(type) : InvalidWidget;
    }
    for (const NamedType& known : kShellTypes) {
        if (name == QLatin1String(known.name))
            return known.type;
    }
    return InvalidWidget;
}
