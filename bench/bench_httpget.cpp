// The page's httpGet with 1000 requests in flight to a local server, in a runtime with no
// plug-in installed, against a bare QNetworkAccessManager loop fetching the same URL as often.
// Requests per second, higher is better. Both sides share one thread with the server.
#include "kbenchsupport.h"

#include "ktestapplication.h"
#include "ktestcommonjsapi.h"
#include "ktesthttpserver.h"
#include "ktestpagehost.h"
#include "ktestruntime.h"

#include "network/kzembahttplimits.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

namespace {

// Runs the event loop until `done` says so (or a minute passed); false on the time-out.
template <typename Done>
bool spinUntil(QEventLoop& loop, Done done)
{
    if (done())
        return true;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    limit.start(60000);
    loop.exec();
    return done();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    KTestApplication app(argc, argv);
    const bool quick = kbench::quick();
    const int inFlight = quick ? 100 : 1000;
    const int runs = quick ? 3 : 7;

    KTestRuntime runtime;
    KTestHttpServer server;
    if (!server.start()) {
        kbench::out() << "the local server did not start\n";
        return 1;
    }
    server.setAnswer(QStringLiteral("/item"), KTestHttpAnswer(200, "{\"id\":\"1042\",\"name\":\"template\",\"price\":3}"));
    const QString url = server.url(QStringLiteral("/item"));

    KTestPageHost host;
    auto* api = host.installApi<KTestCommonJsApi>();
    api->initHandlers();

    // The page encodes its arguments itself, in its own process: the text is made once.
    const QString callText = QString::fromUtf8(
        QJsonDocument(QJsonObject{{QStringLiteral("url"), url},
                                  {QStringLiteral("callback"), QStringLiteral("onItem")},
                                  {QStringLiteral("timeout"), 60000}})
            .toJson(QJsonDocument::Compact));
    int answered = 0;
    QEventLoop loop;
    QObject::connect(host.page(), &KxHeadlessPage::delivered, &loop, [&](const KxPageDelivery& delivery) {
        if (delivery.function == QLatin1String("onItem") && ++answered == inFlight)
            loop.quit();
    });
    QNetworkAccessManager manager;
    int finished = 0;
    QByteArray body;
    bool complete = true;
    const auto ours = [&] {
        answered = 0;
        host.page()->clearDeliveries();
        for (int i = 0; i < inFlight; ++i)
            host.page()->callWithText(QStringLiteral("httpGet"), callText);
        complete = spinUntil(loop, [&] { return answered >= inFlight; }) && complete;
    };
    // `guarded` adds what every page request needs besides the transfer: a running time-out
    // and the read-buffer bound that keeps a body within the limit.
    const auto bare = [&](bool guarded) {
        finished = 0;
        for (int i = 0; i < inFlight; ++i) {
            QNetworkReply* reply = manager.get(QNetworkRequest(QUrl(url)));
            if (guarded) {
                reply->setReadBufferSize(KZembaHttpLimits::maxBodyBytes() + 1);
                auto* timeout = new QTimer(reply);
                timeout->setSingleShot(true);
                QObject::connect(timeout, &QTimer::timeout, reply, &QNetworkReply::abort);
                timeout->start(60000);
            }
            QObject::connect(reply, &QNetworkReply::finished, &loop, [&, reply] {
                body = reply->readAll();
                reply->deleteLater();
                if (++finished == inFlight)
                    loop.quit();
            });
        }
        complete = spinUntil(loop, [&] { return finished >= inFlight; }) && complete;
    };

    const kbench::Medians ms = kbench::sideBySide(runs, ours, [&] { bare(false); });
    kbench::header(QStringLiteral("httpGet from a page, no plug-in installed, against a bare QNetworkAccessManager loop"),
                   QStringLiteral("httpGet"), QStringLiteral("bare"), QStringLiteral("requests/s"));
    kbench::row(QStringLiteral("%1 in flight, loopback").arg(inFlight), inFlight / (ms.ours / 1e3),
                inFlight / (ms.bare / 1e3), ms.bare / ms.ours);
    // Not the goal's comparison: shows how much of the difference the two guards take.
    const kbench::Medians guardedMs = kbench::sideBySide(runs, ours, [&] { bare(true); });
    kbench::header(QStringLiteral("the same, against the bare loop with a time-out timer and a read-buffer bound per request"),
                   QStringLiteral("httpGet"), QStringLiteral("guarded"), QStringLiteral("requests/s"));
    kbench::row(QStringLiteral("%1 in flight, loopback").arg(inFlight), inFlight / (guardedMs.ours / 1e3),
                inFlight / (guardedMs.bare / 1e3), guardedMs.bare / guardedMs.ours);
    const QList<KxPageDelivery> answers = host.page()->deliveriesTo(QStringLiteral("onItem"));
    if (answers.isEmpty() || !answers.last().text.contains(QLatin1String("1042")) || !body.contains("1042")) {
        kbench::out() << "unexpected answer: " << (answers.isEmpty() ? QString() : answers.last().text) << '\n';
        return 1;
    }
    if (!complete) {
        kbench::out() << "not every request was answered\n";
        return 1;
    }
    return 0;
}
