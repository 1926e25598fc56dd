// KZembaCommonJsApi: the page's small services of the desktop and the suite.
#include "kzembacommonjsapi.h"

#include "resource/kzembapluginloader.h"
#include "util/kzembajsutilhandler.h"

#include "interfaces/ikzembacorelite.h"
#include "interfaces/ikzembashellthemestylehelper.h"

#include <krt/kdirs.h>
#include <krt/kpluginssettings.h>
#include <krt/krt.h>
#include <vdllite/kxjsapiconstants.h>

#include <QCryptographicHash>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QSettings>
#include <QStorageInfo>
#include <QUrl>

namespace {

const QString kPreviewIdVisible = QStringLiteral("previewIdVisible");
const QString kHoverHandler = QStringLiteral("common.hoverhandler.");
// Downloads the store checks are never bigger; a bigger file is not the one the page means.
const qint64 kMd5FileLimit = 5 * 1024 * 1024;

QString moduleSettingsPath(const QString& group)
{
    return QStringLiteral("%1/%2/%3").arg(krt::dirs::officeData(), group, QStringLiteral("common.ini"));
}

QObject* themeStyleObject()
{
    IKZembaCoreLite* coreLite = kzemba::KZembaPluginLoader::getCoreLite();
    IKZembaShellThemeStyleHelper* theme = coreLite ? coreLite->getThemeStyleHelper() : nullptr;
    return dynamic_cast<QObject*>(theme);
}

// The lower-case hex MD5 of the whole file, empty when it cannot be read or is too big.
QString fileMd5(const QString& path)
{
    QFile file(path);
    if (file.size() > kMd5FileLimit || !file.open(QIODevice::ReadOnly))
        return QString();
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (!hash.addData(&file))
        return QString();
    return QString::fromLatin1(hash.result().toHex());
}

} // namespace

void KZembaCommonJsApi::writeSetting(const QString& group, const QString& key, const QString& value, bool fileMode)
{
    if (fileMode) {
        const QString path = moduleSettingsPath(group);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QSettings(path, QSettings::IniFormat).setValue(key, value);
        return;
    }
    krt::KPluginsSettings settings;
    settings.beginGroup(group);
    settings.setValue(key, value);
    settings.endGroup();
}

QString KZembaCommonJsApi::readSetting(const QString& group, const QString& key, bool fileMode)
{
    // Empty, not null: pages read a missing value as "".
    const QString missing = QStringLiteral("");
    if (fileMode)
        return QSettings(moduleSettingsPath(group), QSettings::IniFormat).value(key, missing).toString();
    krt::KPluginsSettings settings;
    settings.beginGroup(group);
    const QString value = settings.value(key, missing).toString();
    settings.endGroup();
    return value;
}

void KZembaCommonJsApi::setPreviewIdVisible(KxWebViewJSContext& context)
{
    const bool visible = parseContextArgs(context).value(QStringLiteral("visible"), false).toBool();
    writeSetting(getModuleName(), kPreviewIdVisible, visible ? QStringLiteral("1") : QStringLiteral("0"), true);
    setResult(context, QVariantMap{{QStringLiteral("status"), QStringLiteral("ok")}});
}

void KZembaCommonJsApi::getPreviewIdVisible(KxWebViewJSContext& context)
{
    const bool visible = readSetting(getModuleName(), kPreviewIdVisible, true) == QLatin1String("1");
    setResult(context, QVariantMap{{QStringLiteral("visible"), visible}});
}

void KZembaCommonJsApi::isSupportPreviewIdChange(KxWebViewJSContext& context)
{
    setResult(context, QVariantMap{{QStringLiteral("res"), true}});
}

void KZembaCommonJsApi::getDesktopPath(KxWebViewJSContext& context)
{
    const QString path = krt::dirs::desktop();
    setResult(context, QVariantMap{{QStringLiteral("path"), path},
                                   {QStringLiteral("free"), QStorageInfo(path).bytesAvailable()}});
}

void KZembaCommonJsApi::openLocalPath(KxWebViewJSContext& context)
{
    const QString path = parseContextArgs(context).value(QStringLiteral("path")).toString();
    // An empty path would open the process's working folder, which the page never asked for.
    const bool opened = !path.isEmpty() && QDesktopServices::openUrl(QUrl::fromLocalFile(QDir(path).absolutePath()));
    setResult(context, QVariantMap{{QStringLiteral("open"), opened}});
}

void KZembaCommonJsApi::setCommonProperty(KxWebViewJSContext& context)
{
    QObject* theme = themeStyleObject();
    const QVariantMap args = parseContextArgs(context);
    const QByteArray key = args.value(QStringLiteral("key")).toString().toUtf8();
    if (!theme || key.isEmpty())
        return;
    theme->setProperty(key.constData(), args.value(QStringLiteral("value")));
}

void KZembaCommonJsApi::getCommonProperty(KxWebViewJSContext& context)
{
    QObject* theme = themeStyleObject();
    const QByteArray key = parseContextArgs(context).value(QStringLiteral("key")).toString().toUtf8();
    if (!theme || key.isEmpty())
        return;
    setResult(context, theme->property(key.constData()));
}

void KZembaCommonJsApi::getPluginRegeditValue(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context);
    const QString plugin = args.value(QStringLiteral("plugin")).toString().toLower();
    const QString key = args.value(QStringLiteral("key")).toString();
    QVariantMap answer{{QString::fromLatin1(g_str_callstatus), QString::fromLatin1(g_str_error)}};
    if (!plugin.isEmpty() && !key.isEmpty()) {
        answer.insert(QStringLiteral("value"), readSetting(plugin, key, false));
        answer.insert(QString::fromLatin1(g_str_callstatus), QString::fromLatin1(g_str_ok));
    }
    setResult(context, answer);
}

void KZembaCommonJsApi::setPluginRegeditValue(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context);
    const QString plugin = args.value(QStringLiteral("plugin")).toString().toLower();
    const QString key = args.value(QStringLiteral("key")).toString();
    const QString value = args.value(QStringLiteral("value")).toString().toLower();
    QVariantMap answer{{QString::fromLatin1(g_str_callstatus), QString::fromLatin1(g_str_error)}};
    if (!plugin.isEmpty() && !key.isEmpty()) {
        writeSetting(plugin, key, value, false);
        answer.insert(QString::fromLatin1(g_str_callstatus), QString::fromLatin1(g_str_ok));
    }
    setResult(context, answer);
}

void KZembaCommonJsApi::fileExistWithMD5(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context);
    const QString path = args.value(QStringLiteral("filePath")).toString();
    const QString md5 = args.value(QStringLiteral("md5")).toString();
    if (path.isEmpty() || md5.isEmpty()) {
        context.result()[g_str_callstatus] = g_str_error;
        context.result()[g_str_errormsg] = "input json invalid. no filePath or md5";
        return;
    }
    const QString digest = QFile::exists(path) ? fileMd5(path) : QString();
    const bool exist = !digest.isEmpty() && digest.compare(md5, Qt::CaseInsensitive) == 0;
    setResult(context, QVariantMap{{QStringLiteral("exist"), exist}});
}

void KZembaCommonJsApi::forwardToHoverHandler(const QString& method, KxWebViewJSContext& context)
{
    if (KxWebViewJSApiHandler* handler = findHandler(kHoverHandler))
        handler->invokeJsMethod(method, context);
}

void KZembaCommonJsApi::showHoverPreview(KxWebViewJSContext& context)
{
    forwardToHoverHandler(QStringLiteral("showHoverPreview"), context);
}

void KZembaCommonJsApi::hideHoverPreview(KxWebViewJSContext& context)
{
    forwardToHoverHandler(QStringLiteral("hideHoverPreview"), context);
}

void KZembaCommonJsApi::getHoverPreviewStatus(KxWebViewJSContext& context)
{
    forwardToHoverHandler(QStringLiteral("getHoverPreviewStatus"), context);
}

void KZembaCommonJsApi::setDropMenuHeight(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context);
    if (args.isEmpty()) {
        context.result()[g_str_callstatus] = g_str_error;
        context.result()[g_str_errormsg] = "contextArgs is empty";
        return;
    }
    const bool normal = args.value(QStringLiteral("bNormal"), true).toBool();
    if (QWidget* host = hostWidget())
        QMetaObject::invokeMethod(host, "setDropMenuHeight", Qt::AutoConnection, Q_ARG(bool, normal));
}

void KZembaCommonJsApi::getDropMenuInfo(KxWebViewJSContext& context)
{
    QVariantMap info;
    if (QWidget* host = hostWidget())
        QMetaObject::invokeMethod(host, "getDropMenuInfo", Qt::AutoConnection, Q_ARG(QVariantMap&, info));
    setResult(context, info);
}

void KZembaCommonJsApi::openVantaPluginPage(KxWebViewJSContext& context)
{
    if (KZembaJsUtilHandler* handler = zembaUtilHandler())
        handler->openVantaPluginPage(context);
}
