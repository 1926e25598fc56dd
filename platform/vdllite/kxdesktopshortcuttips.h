#ifndef KZEMBA_VDLLITE_KXDESKTOPSHORTCUTTIPS_H
#define KZEMBA_VDLLITE_KXDESKTOPSHORTCUTTIPS_H

#include "kzembaplatform_export.h"

#include <QString>

class QWidget;

namespace vdllite {

// Object name of the notice, so that a host can find it among its top-level widgets.
KZEMBAPLATFORM_EXPORT QString createDesktopShortCutTipsName();

// Tells the user how to put a shortcut on the desktop on this platform, where a page
// may not create one itself. The notice does not block: it shows and returns, closes
// itself when the user dismisses it, and a second call raises the one already shown.
// Returns the notice.
KZEMBAPLATFORM_EXPORT QWidget* showCreateDesktopShortCutTipsOnLinux();

} // namespace vdllite

#endif
