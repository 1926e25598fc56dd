#include "kzembajsapilite.h"

#include "kxzembaresourcelitehandler.h"
#include "kzembajsliteutilhandler.h"
#include "kzembaopenpage.h"
#include "kzembaresourceutils.h"
#include "resource/kzembapluginloader.h"
#include "util/kzembacommonutilhandler.h"
#include "webwidget/kzembaeventreporter.h"

#include "interfaces/ikzembaaccount.h"
#include "interfaces/ikzembacorelite.h"

#include <krt/krt.h>
#include <vanta/kvantaapplication.h>
#include <vanta/kvantacentralarea.h>
#include <vanta/kvantamainwindow.h>
#include <vanta/kvantapluginwidget.h>
#include <vanta/kvantaqoxpage.h>
#include <vdllite/kxjsapiconstants.h>
#include <vdllite/kxjsapiskinhandler.h>
#include <vdllite/kxloggerlite.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <QUrlQuery>

namespace {

const QString kResult = QStringLiteral("result");
const QString kMessage = QStringLiteral("message");

// A font file the store installed for the suite: "<office home>/zembaFonts/<name>.ttf".
bool storeFontFileExists(const QString& name)
{
    // A name is a file name in that folder, never a way out of it.
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name == QLatin1String(".."))
        return false;
    const QString path = QDir::toNativeSeparators(krt::dirs::officeHome() + QStringLiteral("/zembaFonts/") + name
                                                  + QStringLiteral(".ttf"));
    return QFile::exists(path);
}

// A value as the text a component page reads: texts and numbers as they are, maps and lists as JSON.
QString componentText(const QVariant& value)
{
    const int type = value.userType();
    if (type == QMetaType::QVariantMap || type == QMetaType::QVariantList || type == QMetaType::QVariantHash
        || type == QMetaType::QStringList)
        return QString::fromUtf8(QJsonDocument::fromVariant(value).toJson(QJsonDocument::Compact));
    return value.toString();
}

} // namespace

KZembaJsApiLite::KZembaJsApiLite(KxWebViewContainer* container, QWidget* host)
    : KZembaCommonJsApi(container, host)
{
}

KZembaJsApiLite::~KZembaJsApiLite() = default;

QWidget* KZembaJsApiLite::widgetParent()
{
    return KVantaApplication::findRelativeVantaMainWindow(this);
}

QMap<QString, int> KZembaJsApiLite::componentWidgetTypes()
{
    return {
        {QStringLiteral("textdocument"), KVantaPluginWidget::TextDocumentWidget},
        {QStringLiteral("spreadsheet"), KVantaPluginWidget::SpreadsheetWidget},
        {QStringLiteral("presentation"), KVantaPluginWidget::PresentationWidget},
    };
}

void KZembaJsApiLite::initZembaResourceHandler()
{
    setHandler(QStringLiteral("common.zembaresource"), new KxZembaResourceLiteHandler(this, this));
    setHandler(QStringLiteral("zemba.util"), new KZembaJsLiteUtilHandler(this, this));
    setHandler(QStringLiteral("common.util"), new KZembaCommonUtilHandler(this, this));
}

void KZembaJsApiLite::checkFontsExist(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context);
    const auto names = args.constFind(QStringLiteral("fontNames"));
    if (names == args.cend()) {
        context.result()[g_str_callstatus] = g_str_error;
        context.result()[g_str_errormsg] = "input json invalid. no fontNames.";
        return;
    }
    const QStringList families = QFontDatabase().families();
    QVariantMap found;
    for (const QString& name : names->toStringList())
        found.insert(name, families.contains(name) || storeFontFileExists(name));
    setResult(context, found);
}

void KZembaJsApiLite::getSkinColorConfig(KxWebViewJSContext& context)
{
    if (auto* skin = qobject_cast<KxJSApiSkinHandler*>(findHandler(QStringLiteral("common.skin."))))
        skin->getSkinColorConfig(context);
}

void KZembaJsApiLite::getSkinHintConfig(KxWebViewJSContext& context)
{
    if (auto* skin = qobject_cast<KxJSApiSkinHandler*>(findHandler(QStringLiteral("common.skin."))))
        skin->getSkinColorConfig(context);
}

void KZembaJsApiLite::getZembaResourceShopInfo(KxWebViewJSContext& context)
{
    const bool available = KZembaResourceUtils::isResourceShopAvailable();
    setResult(context, QVariantMap{{kResult, available}, {QStringLiteral("shop"), available},
                                   {QStringLiteral("taskpane"), false}});
}

void KZembaJsApiLite::openZembaResourceShop(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context);
    auto answer = [this, &context](bool result, const QString& message) {
        setResult(context, QVariantMap{{kResult, result}, {kMessage, message}});
    };
    if (args.value(QStringLiteral("type")).toString() == QLatin1String("taskpane")) {
        answer(false, QStringLiteral("taskpane cannot use"));
        return;
    }
    if (!KZembaResourceUtils::isResourceShopAvailable()) {
        answer(false, QStringLiteral("plugin cannot use"));
        return;
    }
    const QString entry = args.value(QStringLiteral("entry")).toString();
    if (entry.isEmpty()) {
        answer(false, QStringLiteral("entry cannot be empty"));
        return;
    }

    QVariantMap params{
        {QStringLiteral("entry"), entry},
        {QStringLiteral("action"), args.value(QStringLiteral("action"), QStringLiteral("home")).toString()},
        {QStringLiteral("appType"), args.value(QStringLiteral("apptype"), QCoreApplication::applicationName().toLower())
                                        .toString()},
    };
    if (args.value(QStringLiteral("forcePopupMode")).toString() == QLatin1String("1"))
        params.insert(QStringLiteral("forcePopupMode"), QStringLiteral("1"));
    beforeOpenZembaResourceShop();
    answer(KZembaResourceUtils::openZembaResourceShop(params), QStringLiteral(""));
}

void KZembaJsApiLite::openZembaPage(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context);
    if (args.isEmpty()) {
        setResult(context, QVariant(QJsonObject{{kResult, false}, {kMessage, QStringLiteral("args empty")}}));
        return;
    }
    QString errorText;
    ::openZembaPage(args, errorText, this);
    setResult(context, QVariant(QJsonObject{{kResult, errorText.isEmpty()}, {kMessage, errorText}}));
}

void KZembaJsApiLite::getZembaPageEnabled(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context);
    const QString code = QStringLiteral("code");
    if (args.isEmpty()) {
        setResult(context, QVariant(QJsonObject{{code, false}, {kResult, QStringLiteral("args empty")}}));
        return;
    }
    QString openMode;
    const bool enabled = getOpenZembaPageEnabled(args, openMode);
    const QJsonObject detail{{QStringLiteral("ret"), enabled}, {QStringLiteral("openmode"), openMode}};
    setResult(context, QVariant(QJsonObject{
                           {code, enabled},
                           {kResult, QString::fromUtf8(QJsonDocument(detail).toJson(QJsonDocument::Compact))}}));
}

void KZembaJsApiLite::openZembaUnifyPayDlg(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context);
    if (args.isEmpty() || payDialogGuard() > QDateTime::currentMSecsSinceEpoch())
        return;
    const QString url = args.value(QStringLiteral("url")).toString();
    IKZembaCoreLite* coreLite = kzemba::KZembaPluginLoader::getCoreLite();

    if (args.value(QStringLiteral("bReport"), false).toBool()) {
        const QVariantMap reportInfo = args.value(QStringLiteral("reportInfo")).toMap();
        QHash<QString, QString> fields{{QStringLiteral("mod_name"), getModuleName()}, {QStringLiteral("side"), QStringLiteral("web")}};
        for (const char* key : {"vip_type", "resid", "res_type", "respid", "reason", "win_type"})
            fields.insert(QLatin1String(key), reportInfo.value(QLatin1String(key)).toString());
        IKZembaAccount* account = coreLite ? coreLite->getAccount() : nullptr;
        fields.insert(QStringLiteral("userid"), account ? account->getUserId() : QString());
        const QUrlQuery query(QUrl(url).query());
        for (const char* key : {"csource", "position"}) {
            if (query.hasQueryItem(QLatin1String(key)))
                fields.insert(QLatin1String(key), query.queryItemValue(QLatin1String(key), QUrl::FullyDecoded));
        }
        kzemba::KZembaEventReporter::post(QStringLiteral("zemba_pay_win_show"), fields);
    }

    const QString moduleName = getModuleName().replace(QLatin1Char('_'), QLatin1Char('-'));
    if (!coreLite) {
        KxLoggerLite::writeWarning(QStringLiteral("openZembaUnifyPayDlg"), QStringLiteral("zembacorelite is nullptr"));
        return;
    }
    coreLite->openUnifyPayDlg(url, moduleName, widgetParent(), this, args);
}

void KZembaJsApiLite::notifyComponentMsg(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context);
    const QMap<QString, int> components = componentWidgetTypes();
    const auto component = components.constFind(args.value(QStringLiteral("targetPage")).toString());
    if (component == components.cend()) {
        setResult(context, QVariantMap{{kResult, false}});
        return;
    }

    QVariantMap data = args.value(QStringLiteral("data")).toMap();
    data.insert(QStringLiteral("funcEntry"), QStringLiteral("kzembajsapi"));
    QMap<QString, QString> message;
    for (auto it = data.cbegin(); it != data.cend(); ++it)
        message.insert(it.key(), componentText(it.value()));

    bool delivered = false;
    if (KVantaApplication* app = KVantaApplication::instance()) {
        for (KVantaMainWindow* window : app->mainWindows()) {
            KVantaCentralArea* centralArea = window->centralArea();
            if (auto* page = qobject_cast<KVantaQoxPage*>(centralArea ? centralArea->pageByType(*component) : nullptr)) {
                page->notifyAppcenterMsg(message);
                delivered = true;
            }
        }
    }
    setResult(context, QVariantMap{{kResult, delivered}});
}
