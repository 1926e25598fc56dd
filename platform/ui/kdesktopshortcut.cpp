#include "kdesktopshortcut.h"

#include <krt/kdirs.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringList>

namespace {

// An entry larger than this is no shortcut; it is not read into memory.
const qint64 kMaxEntrySize = 64 * 1024;

// The value escapes of the desktop entry format.
QString unescapeValue(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (int i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out.append(c);
            continue;
        }
        switch (value.at(++i).unicode()) {
        case 's': out.append(QLatin1Char(' ')); break;
        case 'n': out.append(QLatin1Char('\n')); break;
        case 't': out.append(QLatin1Char('\t')); break;
        case 'r': out.append(QLatin1Char('\r')); break;
        case '\\': out.append(QLatin1Char('\\')); break;
        default: out.append(QLatin1Char('\\')).append(value.at(i)); break;
        }
    }
    return out;
}

// The keys of the group "Desktop Entry", without localised variants.
QHash<QString, QString> readDesktopEntry(const QByteArray& data)
{
    QHash<QString, QString> entry;
    bool inEntryGroup = false;
    const QStringList lines = QString::fromUtf8(data).split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inEntryGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const int equals = line.indexOf(QLatin1Char('='));
        if (!inEntryGroup || equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        if (!key.contains(QLatin1Char('[')) && !entry.contains(key))
            entry.insert(key, unescapeValue(line.mid(equals + 1).trimmed()));
    }
    return entry;
}

// Splits an Exec value into its arguments: double quotes group, a backslash inside quotes
// takes the next character as it is, "%%" is a percent sign and other field codes go.
QStringList splitExec(const QString& exec)
{
    QStringList arguments;
    QString current;
    bool inQuotes = false;
    bool hasArgument = false;
    for (int i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (inQuotes) {
            if (c == QLatin1Char('"'))
                inQuotes = false;
            else if (c == QLatin1Char('\\') && i + 1 < exec.size())
                current.append(exec.at(++i));
            else
                current.append(c);
        } else if (c == QLatin1Char('"')) {
            inQuotes = true;
            hasArgument = true;
        } else if (c.isSpace()) {
            if (hasArgument)
                arguments.append(current);
            current.clear();
            hasArgument = false;
        } else if (c == QLatin1Char('%') && i + 1 < exec.size()) {
            const QChar code = exec.at(++i);
            if (code == QLatin1Char('%')) {
                current.append(code);
                hasArgument = true;
            }
        } else {
            current.append(c);
            hasArgument = true;
        }
    }
    if (hasArgument)
        arguments.append(current);
    return arguments;
}

} // namespace

QString KDesktopShortcut::shortcutFilePath(const QString& name)
{
    if (name.trimmed().isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\'))
        || name.contains(QChar::Null) || name == QLatin1String(".") || name == QLatin1String(".."))
        return QString();
    return QDir(krt::dirs::desktop()).filePath(name + QStringLiteral(".desktop"));
}

bool KDesktopShortcut::resolveDesktopShortcut(const QString& name, QString& target, QString& targetArgument,
                                              QString& iconPath, int& iconIndex, QString& error)
{
    target.clear();
    targetArgument.clear();
    iconPath.clear();
    iconIndex = 0;
    error.clear();

    const QString path = shortcutFilePath(name);
    if (path.isEmpty()) {
        error = QStringLiteral("invalid shortcut name");
        return false;
    }
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("shortcut not found");
        return false;
    }
    if (file.size() > kMaxEntrySize) {
        error = QStringLiteral("shortcut is not a desktop entry");
        return false;
    }
    const QHash<QString, QString> entry = readDesktopEntry(file.readAll());
    const QStringList exec = splitExec(entry.value(QStringLiteral("Exec")));
    if (entry.value(QStringLiteral("Type")) != QLatin1String("Application") || exec.isEmpty()) {
        error = QStringLiteral("shortcut is not a desktop entry");
        return false;
    }
    target = exec.first();
    targetArgument = exec.mid(1).join(QLatin1Char(' '));
    iconPath = entry.value(QStringLiteral("Icon"));
    return true;
}

bool KDesktopShortcut::deleteDesktopShortcut(const QString& name)
{
    const QString path = shortcutFilePath(name);
    // A symbolic link is removed itself, never what it points to.
    const QFileInfo info(path);
    if (path.isEmpty() || !(info.isFile() || info.isSymLink()))
        return false;
    return QFile::remove(path);
}
