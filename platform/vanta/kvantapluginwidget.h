#ifndef KZEMBA_VANTA_KVANTAPLUGINWIDGET_H
#define KZEMBA_VANTA_KVANTAPLUGINWIDGET_H

#include "kzembaplatform_export.h"

#include <QString>
#include <QWidget>

/// A widget of the shell that shows one page of a shell plug-in or of a
/// document component, tagged with its widget type. The shell's own types are
/// the enumerators below; plug-ins bring further types, which the runtime
/// configuration names under "vanta/widgetTypes/<name>" (an integer each).
class KZEMBAPLATFORM_EXPORT KVantaPluginWidget : public QWidget
{
    Q_OBJECT
public:
    // Any integer may be a plug-in's type; the named ones are the shell's.
    enum WidgetType : int {
        InvalidWidget = -1,
        StartWidget = 0,
        BrowserWidget = 1,
        PluginWidget = 2,
        TextDocumentWidget = 3,
        SpreadsheetWidget = 4,
        PresentationWidget = 5,
        PdfWidget = 6,
    };
    Q_ENUM(WidgetType)

    explicit KVantaPluginWidget(int widgetType, QWidget* parent = nullptr);
    ~KVantaPluginWidget() override;

    int widgetType() const { return m_widgetType; }

    // The type a page type name stands for (case-sensitive); InvalidWidget when the
    // name is neither configured nor one of the shell's own names.
    static WidgetType convertWidgetType(const QString& name);

private:
    int m_widgetType;
};

#endif
