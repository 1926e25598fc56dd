#include "kxdesktopshortcuttips.h"

#include <QMessageBox>
#include <QPointer>

namespace vdllite {

QString createDesktopShortCutTipsName()
{
    return QStringLiteral("KxCreateDesktopShortCutTips");
}

QWidget* showCreateDesktopShortCutTipsOnLinux()
{
    static QPointer<QMessageBox> shown;
    if (!shown) {
        auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Desktop shortcut"),
                                    QStringLiteral("To put this app on your desktop, open your application menu, "
                                                   "right-click the app and choose \"Add to Desktop\"."),
                                    QMessageBox::Ok);
        box->setObjectName(createDesktopShortCutTipsName());
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
        shown = box;
    }
    shown->show();
    shown->raise();
    shown->activateWindow();
    return shown.data();
}

} // namespace vdllite
