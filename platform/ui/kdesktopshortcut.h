#ifndef KZEMBA_UI_KDESKTOPSHORTCUT_H
#define KZEMBA_UI_KDESKTOPSHORTCUT_H

#include "kzembaplatform_export.h"

#include <QString>

/// The suite's desktop shortcuts, as freedesktop ".desktop" entries in the
/// user's desktop folder (krt::dirs::desktop()). A shortcut is named by its
/// file name without ".desktop"; a name that is empty, names a folder, or
/// holds a path separator or NUL names no shortcut. Its target is the program
/// of the entry's Exec line and its target argument the rest of that line
/// (quotes and escapes resolved, field codes such as %U left out), joined by
/// single spaces. Desktop entries carry no icon index, so it is always 0.
class KZEMBAPLATFORM_EXPORT KDesktopShortcut
{
public:
    // The file of shortcut `name`, or an empty text when the name is not acceptable.
    static QString shortcutFilePath(const QString& name);

    // Reads shortcut `name`; false with `error` set when it cannot.
    static bool resolveDesktopShortcut(const QString& name, QString& target, QString& targetArgument,
                                       QString& iconPath, int& iconIndex, QString& error);
    // Removes shortcut `name`; false when there was none or it could not be removed.
    static bool deleteDesktopShortcut(const QString& name);
};

#endif
