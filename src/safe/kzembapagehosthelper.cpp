#include "kzembapagehosthelper.h"

#include "base/kpromise.h"
#include "jsapi/kzembalibrary.h"
#include "resource/kzembapluginloader.h"
#include "resource/kzembaresnetworkclient.h"

#include "interfaces/ikzembanetwork.h"

#include <crypto/kaesencrypt.h>
#include <krt/kcoreapplication.h>
#include <krt/kdcinfocdetail.h>
#include <krt/kdomainmgr.h>
#include <krt/krt.h>
#include <vdllite/jsonhelper.h>
#include <vdllite/kxlocalstorage.h>
#include <vdllite/kxloggerlite.h>

#include <QDateTime>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>
#include <QUrlQuery>

#include <memory>

namespace {

const QStringList& trustedHosts()
{
    static const QStringList hosts{
        QStringLiteral("store.zemba.example"),         QStringLiteral("templates.zemba.example"),
        QStringLiteral("fonts.zemba.example"),         QStringLiteral("docs.partner-one.example"),
        QStringLiteral("learn.partner-two.example"),   QStringLiteral("assets.partner-three.example"),
        QStringLiteral("www.partner-four.example"),
    };
    return hosts;
}

const QRegularExpression& trustedDomains()
{
    static const QRegularExpression pattern(
        QStringLiteral("^(.*.)?(%1)$")
            .arg(QStringList{QStringLiteral("\\.zemba\\.example"), QStringLiteral("\\.partner\\.example")}.join(
                QLatin1Char('|'))));
    return pattern;
}

// The cache cipher's key and IV are not kept as plain constants in the binary.
QByteArray unscramble(const unsigned char* bytes, int size)
{
    QByteArray out(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        out[i] = static_cast<char>(static_cast<unsigned char>((bytes[i] ^ 0xA5) - 7 * i));
    return out;
}

const QByteArray& cacheKey()
{
    static const unsigned char scrambled[32] = {0x1c, 0x7e, 0x32, 0xd9, 0x40, 0x8b, 0x61, 0xf3, 0x05, 0x9a, 0x27,
                                                0xcc, 0x58, 0xe1, 0x13, 0x6f, 0xb4, 0x2d, 0x86, 0x0a, 0xf0, 0x49,
                                                0x3e, 0x95, 0xd2, 0x67, 0x1b, 0xa8, 0x74, 0xcf, 0x02, 0x5d};
    static const QByteArray key = unscramble(scrambled, sizeof(scrambled));
    return key;
}

const QByteArray& cacheIv()
{
    static const unsigned char scrambled[16] = {0x9f, 0x26, 0xe3, 0x48, 0x7b, 0x11, 0xd6, 0x3a,
                                                0xac, 0x65, 0x0e, 0xb9, 0x52, 0xf7, 0x2b, 0x84};
    static const QByteArray iv = unscramble(scrambled, sizeof(scrambled));
    return iv;
}

// One store for the process, opened on first use and closed at exit.
KxLocalStorage& hostCache()
{
    static const std::unique_ptr<KxLocalStorage> storage = [] {
        auto store = std::make_unique<KxLocalStorage>();
        store->init(KZembaPageHostHelper::cacheDatabasePath());
        return store;
    }();
    return *storage;
}

QString textUpToNul(const QByteArray& bytes)
{
    const int nul = bytes.indexOf('\0');
    return QString::fromUtf8(nul < 0 ? bytes : bytes.left(nul));
}

bool cacheHit(const QString& appId, const QString& host)
{
    QString value;
    qint64 time = 0;
    if (!hostCache().webStorageGet(appId, value, time) || value.isEmpty() || time == 0)
        return false;
    QByteArray plain;
    if (!KAesEncrypt::aesDecryptCBCMode(cacheKey(), cacheIv(), value, plain) || plain.isNull())
        return false;
    const QString cachedHost = textUpToNul(plain);
    if (cachedHost.isEmpty() || cachedHost != host)
        return false;
    // Seconds are read as 64 bits, so entries keep working past January 2038.
    return QDateTime::fromSecsSinceEpoch(time).addDays(30) > QDateTime::currentDateTime();
}

void remember(const QString& appId, const QString& host)
{
    QString value;
    if (!KAesEncrypt::aesEncryptCBCMode(cacheKey(), cacheIv(), host.toUtf8(), value) || value.isEmpty())
        return;
    hostCache().webStorageAdd(appId, value, QDateTime::currentSecsSinceEpoch());
}

// The sign file's URL: the page's scheme and host followed by the registered path as it is
// (the page's port, user, path and query are not used). Null unless the page is an http or
// https page with a host and the result still names exactly that scheme and host, without a
// port or a user: a registered path cannot move the check to another server.
QUrl signFileUrl(const QUrl& page, const QString& path)
{
    const QString scheme = page.scheme();
    if ((scheme != QLatin1String("http") && scheme != QLatin1String("https")) || page.host().isEmpty())
        return QUrl();
    QUrl origin;
    origin.setScheme(scheme);
    origin.setHost(page.host(QUrl::FullyDecoded));
    const QUrl sign(origin.toString(QUrl::FullyEncoded) + path, QUrl::TolerantMode);
    if (!sign.isValid() || sign.scheme() != scheme || sign.host() != page.host() || sign.port() != -1
        || !sign.userInfo().isEmpty())
        return QUrl();
    return sign;
}

void logInfo(const QString& module, const QString& message)
{
    KxLoggerLite::writeInfo(module, message);
}

void logError(const QString& module, const QString& message)
{
    KxLoggerLite::writeError(module, message);
}

} // namespace

bool KZembaPageHostHelper::isWhitelistHost(const QString& url)
{
    const QString host = QUrl(url).host(QUrl::FullyDecoded);
    return trustedHosts().contains(host) || trustedDomains().match(host).hasMatch();
}

QString KZembaPageHostHelper::cacheDatabasePath()
{
    return kzemba::localStoreDatabasePath(QStringLiteral("PageHosts"));
}

void KZembaPageHostHelper::checkPageHostSignValid(const QString& appId, const QString& url,
                                                  std::function<void(KZembaPageHostHelper::Error)> callback)
{
    using zemba::base::KAnsycCallback;
    using zemba::base::KPromise;

    if (!callback)
        return;
    const QString module = kzemba::libraryModuleName();

    if (isWhitelistHost(url)) {
        logInfo(module, QStringLiteral("KZembaPageHostHelper::checkPageHostSignValid whitelist hit, appid:%1, url:%2.")
                            .arg(appId, url));
        callback(Success);
        return;
    }
    if (cacheHit(appId, QUrl(url).host(QUrl::FullyDecoded))) {
        logInfo(module,
                QStringLiteral("KZembaPageHostHelper::checkPageHostSignValid cache hit, appid:%1, url:%2.").arg(appId, url));
        callback(Success);
        return;
    }
    if (appId.isEmpty() || url.isEmpty()) {
        logError(module,
                 QStringLiteral("KZembaPageHostHelper::checkPageHostSignValid empty, appid:%1, url:%2.").arg(appId, url));
        callback(EmptyParam);
        return;
    }

    KDomainMgr* domains = KCoreApplication::getDomainMgr();
    QUrl registrationUrl((domains ? domains->getDomainUrl(QStringLiteral("zembaapiqox")) : QString())
                         + QStringLiteral("/proxy/text-extraction/tools/check_domain"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("app_id"), appId);
    query.addQueryItem(QStringLiteral("rmsp"), QStringLiteral("pc_%1_app_%2_%3_%4")
                                                   .arg(module, KDcInfoCDetail::getVersion(), KDcInfoCDetail::getMC(),
                                                        KDcInfoCDetail::getHdid()));
    registrationUrl.setQuery(query);

    // What step 1 hands to step 2: the registered sign and the sign file's URL.
    struct Registration
    {
        QString sign;
        QUrl signUrl;
    };
    const auto registration = std::make_shared<Registration>();

    auto fetchRegistration = [module, appId, url, registrationUrl, registration](KAnsycCallback resolve,
                                                                               KAnsycCallback reject) {
        IKZembaNetWork* network = kzemba::KZembaPluginLoader::getZembaNetWork();
        if (!network) {
            reject();
            return;
        }
        network->request(
            registrationUrl, QVariantMap(), 1,
            [module, appId, url, registration, resolve, reject](const QByteArray& body) {
                const QVariantMap answer = JsonHelper::convertStringToQJson(QString::fromUtf8(body)).toVariantMap();
                if (answer.value(QStringLiteral("result")).toString() != QLatin1String("ok")) {
                    reject();
                    return;
                }
                const QVariantMap data = answer.value(QStringLiteral("data")).toMap();
                registration->sign = data.value(QStringLiteral("abstract")).toString();
                registration->signUrl = signFileUrl(QUrl(url), data.value(QStringLiteral("path")).toString());
                // Without a sign there is nothing to prove (an empty file would equal it), and a
                // sign file on another server proves nothing about this page's host.
                if (registration->sign.isEmpty() || registration->signUrl.isEmpty()) {
                    logError(module, QStringLiteral("KZembaPageHostHelper::checkPageHostSignValid registration unusable, "
                                                    "appid:%1, url:%2.")
                                         .arg(appId, url));
                    reject();
                    return;
                }
                resolve();
            },
            [module, registrationUrl, reject](const kzembanetwork::FailInfo& info) {
                logError(module, QStringLiteral("KZembaPageHostHelper::checkPageHostSignValid fetchAppInfo error, "
                                                "url:%1, httpCode:%2, error:%3.")
                                     .arg(registrationUrl.toString(), QString::number(info.httpStatusCode),
                                          QString::number(info.errorCode)));
                reject();
            },
            5000, 0, 1);
    };

    auto compareSign = [module, appId, url, callback, registration](KAnsycCallback resolve, KAnsycCallback reject) {
        const QString registeredSign = registration->sign;
        const QString signUrl = registration->signUrl.toString();

        kzembaresnetwork::ResDownloadParam param;
        param.resourceArgs.urls = QStringList{signUrl};
        kzemba::startResDownload(
            param,
            [module, appId, url, callback, registeredSign, signUrl, resolve](
                const QString&, const kzembaresnetwork::DownloadSuccessInfo& info) {
                const QString hostSign = textUpToNul(info.data.value(QStringLiteral("fileByteArray")).toByteArray());
                if (hostSign == registeredSign) {
                    callback(Success);
                    remember(appId, QUrl(signUrl).host(QUrl::FullyDecoded));
                    logInfo(module, QStringLiteral("KZembaPageHostHelper::checkPageHostSignValid sign hit, appid:%1, url:%2.")
                                        .arg(appId, url));
                } else {
                    callback(SignMismatch);
                    logError(module, QStringLiteral("KZembaPageHostHelper::checkPageHostSignValid sign match error, open "
                                                    "sign:%1, host sign:%2.")
                                         .arg(registeredSign, hostSign));
                }
                resolve();
            },
            [](const QString&, qint64, qint64) {},
            [module, signUrl, callback, reject](const QString&, const kzembaresnetwork::DownloadFailInfo& info) {
                logError(module, QStringLiteral("KZembaPageHostHelper::checkPageHostSignValid download sign error, "
                                                "url:%1, httpCode:%2, error:%3.")
                                     .arg(signUrl, QString::number(info.httpStatusCode),
                                          QString::number(info.errorCode)));
                callback(SignDownloadFailed);
                reject();
            });
    };

    auto registrationFailed = [callback](KAnsycCallback, KAnsycCallback reject) {
        callback(AppInfoFailed);
        reject();
    };

    KPromise::create(fetchRegistration)->then(compareSign, registrationFailed)->exec();
}
