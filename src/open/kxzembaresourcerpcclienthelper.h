#ifndef KZEMBA_OPEN_KXZEMBARESOURCERPCCLIENTHELPER_H
#define KZEMBA_OPEN_KXZEMBARESOURCERPCCLIENTHELPER_H

#include "kzembajsapilite_export.h"

#include <vanta/kvantapluginwidget.h>
#include <vanta/kvantaservicescobclient.h>

#include <QPointer>

#include <memory>

class KVantaMainWindow;
class KVantaTab;

/// Finds the shell IPC client of the document the user is working on: the
/// document of the current standalone window, or else the document tab of the
/// first main window that has one, the current window first. The client comes
/// from the shell's process host for the widget type of that document, so the
/// request reaches the process that shows it.
class KZEMBAJSAPILITE_EXPORT KxZembaResourceRpcClientHelper
{
public:
    static std::shared_ptr<KVantaServicesCobClient> getCurrentStandaloneClient();
    static std::shared_ptr<KVantaServicesCobClient> getCurrentClient();
    // Sets `tab` to the document tab whose client it returns; leaves it alone when there is none.
    static std::shared_ptr<KVantaServicesCobClient> getCurrentClient(QPointer<KVantaTab>& tab);

    // The window's current tab when it shows a document, else the tab bar's remembered
    // document tab; null without a window or tab bar.
    static KVantaTab* findDocumentTab(KVantaMainWindow* window);
    static bool isDocumentPage(KVantaPluginWidget::WidgetType type);
};

#endif
