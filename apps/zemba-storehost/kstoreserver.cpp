#include "kstoreserver.h"

#include <krt/kruntimeconfig.h>

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

namespace {
struct Resource
{
    const char* id;
    const char* type;
    const char* name;
    const char* colour;
};

// The sample catalogue: what the store shows and what "insert" downloads and applies.
const Resource kResources[] = {
    {"tpl-report", "template", "Quarterly report", "#2a9d8f"},
    {"tpl-letter", "template", "Formal letter", "#e76f51"},
    {"pic-harbour", "picture", "Harbour at dawn", "#264653"},
    {"pic-meadow", "picture", "Meadow", "#8ab17d"},
    {"tpl-invoice", "template", "Invoice", "#f4a261"},
    {"pic-city", "picture", "City lights", "#6d597a"},
};

QByteArray resourceFile(const Resource& resource)
{
    return QByteArray("Sample ") + resource.type + " \"" + resource.name + "\" from the demo store.\n";
}

QByteArray thumbnail(const Resource& resource)
{
    return QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"160\" height=\"100\">"
                      "<rect width=\"160\" height=\"100\" rx=\"8\" fill=\"")
        + resource.colour
        + "\"/><rect x=\"16\" y=\"18\" width=\"90\" height=\"10\" rx=\"3\" fill=\"#ffffff\" fill-opacity=\"0.85\"/>"
          "<rect x=\"16\" y=\"38\" width=\"128\" height=\"6\" rx=\"3\" fill=\"#ffffff\" fill-opacity=\"0.5\"/>"
          "<rect x=\"16\" y=\"52\" width=\"110\" height=\"6\" rx=\"3\" fill=\"#ffffff\" fill-opacity=\"0.5\"/>"
          "<circle cx=\"132\" cy=\"78\" r=\"12\" fill=\"#ffffff\" fill-opacity=\"0.7\"/></svg>";
}

KTestHttpAnswer json(const QJsonObject& object)
{
    return KTestHttpAnswer(200, QJsonDocument(object).toJson(QJsonDocument::Compact))
        .setHeader("Content-Type", "application/json");
}

// Where the page's host publishes the store app's sign.
const char kSignPath[] = "/.well-known/zemba-sign.txt";

QByteArray sseEvent(const QByteArray& event, const QByteArray& data)
{
    return "event: " + event + "\ndata: " + data + "\n\n";
}
} // namespace

KStoreServer::KStoreServer(QObject* parent)
    : QObject(parent)
{
}

KStoreServer::~KStoreServer() = default;

bool KStoreServer::start()
{
    if (!m_server.start())
        return false;
    addFile(QStringLiteral("index.html"), "text/html; charset=utf-8");
    addFile(QStringLiteral("store.css"), "text/css; charset=utf-8");
    addFile(QStringLiteral("store.js"), "application/javascript; charset=utf-8");
    addCatalogue();

    // The assistant answers every question with a short stream of text pieces.
    const QList<QByteArray> pieces{"Templates ", "keep your ", "documents ", "consistent; ", "try the ",
                                   "\\\"Quarterly report\\\"."};
    QList<QByteArray> chunks{": the assistant is typing\n\n"};
    for (const QByteArray& piece : pieces)
        chunks << sseEvent("message", "{\"text\":\"" + piece + "\"}");
    chunks << sseEvent("end", "{}");
    m_server.setAnswer("POST", QStringLiteral("/api/assistant"), KTestHttpAnswer::eventStream(chunks, 120));

    // The account service's user information, as the account plug-in asks for it.
    m_server.setAnswer(QStringLiteral("/proxy/client/user/v1/all_info_v6"),
                       json({{QStringLiteral("userid"), QStringLiteral("1001")},
                             {QStringLiteral("nickname"), QStringLiteral("Demo reader")},
                             {QStringLiteral("state"), QStringLiteral("login")}}));
    // The encrypted form arrives as its key version, session key and cipher text.
    m_server.setAnswer("POST", QStringLiteral("/api/feedback"), json({{QStringLiteral("received"), true}}));
    m_server.setAnswer("DELETE", QStringLiteral("/api/favourites"), json({{QStringLiteral("deleted"), true}}));
    addPageHostRegistration();
    return true;
}

QString KStoreServer::storeUrl() const
{
    return m_server.url(QStringLiteral("/index.html"));
}

QString KStoreServer::origin() const
{
    return m_server.url(QString()).chopped(1);
}

void KStoreServer::configureRuntime() const
{
    krt::KRuntimeConfig::setValue(QStringLiteral("domains/zembaapiqox"), origin());
    krt::KRuntimeConfig::setValue(QStringLiteral("domains/zembastore"), origin());
    krt::KRuntimeConfig::setValue(QStringLiteral("appMgr/apps"), QStringList{QStringLiteral("zembademoapp")});
    krt::KRuntimeConfig::setValue(QStringLiteral("appMgr/app/zembademoapp/webAppUrl"), origin() + "/index.html#app");
    krt::KRuntimeConfig::setValue(QStringLiteral("network/connectTo"),
                                  QStringList{QStringLiteral("127.0.0.1:80:127.0.0.1:%1").arg(m_server.port())});
}

QString KStoreServer::appId()
{
    return QStringLiteral("zembastore");
}

void KStoreServer::addFile(const QString& path, const QByteArray& contentType)
{
    QFile file(QStringLiteral(":/store/") + path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    m_server.setAnswer(QStringLiteral("/") + path, KTestHttpAnswer(200, file.readAll()).setHeader("Content-Type", contentType));
}

void KStoreServer::addCatalogue()
{
    QJsonArray items;
    for (const Resource& resource : kResources) {
        const QString id = QString::fromLatin1(resource.id);
        const QByteArray body = resourceFile(resource);
        const QString file = QStringLiteral("/files/%1.txt").arg(id);
        const QString thumb = QStringLiteral("/thumbs/%1.svg").arg(id);
        m_server.setAnswer(file, KTestHttpAnswer(200, body).setHeader("Content-Type", "text/plain"));
        m_server.setAnswer(thumb, KTestHttpAnswer(200, thumbnail(resource)).setHeader("Content-Type", "image/svg+xml"));
        items.append(QJsonObject{
            {QStringLiteral("id"), id},
            {QStringLiteral("type"), QString::fromLatin1(resource.type)},
            {QStringLiteral("name"), QString::fromUtf8(resource.name)},
            {QStringLiteral("thumbnail"), m_server.url(thumb)},
            {QStringLiteral("url"), m_server.url(file)},
            {QStringLiteral("md5"), QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Md5).toHex())},
        });
    }
    m_server.setAnswer(QStringLiteral("/api/catalogue"),
                       json({{QStringLiteral("items"), items}}).setEncoding(KTestHttpAnswer::Encoding::Zlib));
}

void KStoreServer::addPageHostRegistration()
{
    quint32 random[4];
    QRandomGenerator::system()->fillRange(random);
    const QByteArray sign = QByteArray(reinterpret_cast<const char*>(random), sizeof(random)).toHex();
    m_server.setAnswer(QStringLiteral("/proxy/text-extraction/tools/check_domain"),
                       json({{QStringLiteral("result"), QStringLiteral("ok")},
                             {QStringLiteral("data"), QJsonObject{{QStringLiteral("path"), QLatin1String(kSignPath)},
                                                                  {QStringLiteral("abstract"), QString::fromLatin1(sign)}}}}));
    m_server.setAnswer(QLatin1String(kSignPath), KTestHttpAnswer(200, sign).setHeader("Content-Type", "text/plain"));
}
