// The shell IPC client of the current document: which document process the lookup
// picks, and the split shop's task-pane request travelling to a kvantaservices
// server over a real socket, including shells that break the conversation.
#include "ktestapplication.h"
#include "ktestruntime.h"

#include "open/kxsplitresourceshopopenlite.h"
#include "open/kxzembaresourcerpcclienthelper.h"

#include "kvantaservices.h"

#include <vanta/kvantaapplication.h>
#include <vanta/kvantacentralarea.h>
#include <vanta/kvantamainwindow.h>
#include <vanta/kvantapage.h>
#include <vanta/kvantaprocesshost.h>
#include <vanta/kvantasubpage.h>
#include <vanta/kvantasubpages.h>
#include <vanta/kvantatab.h>
#include <vanta/kvantatabbar.h>
#include <vdllite/jsonhelper.h>

#include <thrift/protocol/TBinaryProtocol.h>
#include <thrift/transport/TBufferTransports.h>
#include <thrift/transport/TServerSocket.h>

#include <QMutex>
#include <QMutexLocker>
#include <QTcpServer>
#include <QtEndian>
#include <QTcpSocket>
#include <QtTest>

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include <netinet/in.h>
#include <sys/socket.h>

using namespace apache::thrift;

namespace {

const char* const kShop = "picture_resourceshop";

struct KShellCall
{
    std::string funcName;
    std::string param;
};

// The shell's handler: records each applyZembaResource call and answers it, or fails
// the way a broken shell handler would.
class KShellHandler : public qox::kvanta::kvantaservicesNull
{
public:
    void applyZembaResource(std::map<std::string, std::string>& _return, const std::string& funcName,
                            const std::string& param) override
    {
        QMutexLocker lock(&m_mutex);
        m_calls.push_back({funcName, param});
        if (m_failing)
            throw std::runtime_error("the task pane is not ready");
        _return["status"] = "ok";
    }

    void setFailing(bool failing)
    {
        QMutexLocker lock(&m_mutex);
        m_failing = failing;
    }

    std::vector<KShellCall> calls() const
    {
        QMutexLocker lock(&m_mutex);
        return m_calls;
    }

private:
    mutable QMutex m_mutex;
    std::vector<KShellCall> m_calls;
    bool m_failing = false;
};

// A shell-side kvantaservices server: the generated processor behind a framed binary
// transport on a loopback socket, serving one connection at a time on its own thread.
class KShellServer
{
public:
    KShellServer()
        : m_handler(std::make_shared<KShellHandler>())
        , m_socket(std::make_shared<transport::TServerSocket>("127.0.0.1", 0))
    {
        m_socket->listen();
        m_thread = std::thread([this] { serve(); });
    }

    ~KShellServer()
    {
        m_socket->interrupt();
        m_socket->interruptChildren();
        m_thread.join();
        m_socket->close();
    }

    QString address() const
    {
        sockaddr_in bound{};
        socklen_t length = sizeof bound;
        getsockname(m_socket->getSocketFD(), reinterpret_cast<sockaddr*>(&bound), &length);
        return QStringLiteral("127.0.0.1:%1").arg(ntohs(bound.sin_port));
    }
    KShellHandler& handler() const { return *m_handler; }

private:
    void serve()
    {
        qox::kvanta::kvantaservicesProcessor processor(m_handler);
        for (;;) {
            std::shared_ptr<transport::TTransport> client;
            try {
                client = m_socket->accept();
            } catch (const TException&) {
                return; // interrupted
            }
            auto framed = std::make_shared<transport::TFramedTransport>(client);
            auto protocol = std::make_shared<protocol::TBinaryProtocol>(framed);
            try {
                while (processor.process(protocol, protocol, nullptr)) {
                }
            } catch (const TException&) {
                // The client went away.
            }
            framed->close();
        }
    }

    std::shared_ptr<KShellHandler> m_handler;
    std::shared_ptr<transport::TServerSocket> m_socket;
    std::thread m_thread;
};

// A shell that breaks the conversation once a request has arrived.
class KBrokenShell : public QObject
{
    Q_OBJECT
public:
    enum Behaviour { Closes, AnswersGarbage, AnswersUnframed, AnswersWrongMethod, Silent };

    explicit KBrokenShell(Behaviour behaviour)
        : m_behaviour(behaviour)
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
        });
    }

    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort()); }
    int requests() const { return m_requests; }

private:
    // Answers each complete request frame.
    void answer(QTcpSocket* socket)
    {
        QByteArray& pending = m_received[socket];
        pending += socket->readAll();
        while (pending.size() >= 4) {
            const int length = static_cast<int>(qFromBigEndian<quint32>(pending.constData()));
            if (pending.size() - 4 < length)
                return;
            pending.remove(0, 4 + length);
            ++m_requests;
            answerOne(socket);
        }
    }

    void answerOne(QTcpSocket* socket)
    {
        switch (m_behaviour) {
        case Closes:
            socket->close();
            break;
        case AnswersGarbage:
            socket->write(framed("this is no thrift reply"));
            break;
        case AnswersUnframed:
            socket->write("HTTP/1.1 400 Bad Request\r\n\r\n");
            break;
        case AnswersWrongMethod: {
            // A well-formed reply, but to another call.
            auto buffer = std::make_shared<transport::TMemoryBuffer>();
            protocol::TBinaryProtocol out(buffer);
            out.writeMessageBegin("saveAs", protocol::T_REPLY, 0);
            out.writeStructBegin("r");
            out.writeFieldStop();
            out.writeStructEnd();
            out.writeMessageEnd();
            socket->write(framed(QByteArray::fromStdString(buffer->getBufferAsString())));
            break;
        }
        case Silent:
            break;
        }
    }

    static QByteArray framed(const QByteArray& payload)
    {
        QByteArray frame(4, Qt::Uninitialized);
        qToBigEndian<quint32>(static_cast<quint32>(payload.size()), frame.data());
        return frame + payload;
    }

    Behaviour m_behaviour;
    QTcpServer m_server;
    QHash<QTcpSocket*, QByteArray> m_received;
    int m_requests = 0;
};

// A page of a window: its widget type, whether it is the window's current page,
// and whether its tab is the one the tab bar remembers as the document tab.
struct KPageSpec
{
    int type;
    bool current;
    bool remembered;
};

} // namespace

class TstShellClient : public QObject
{
    Q_OBJECT

private:
    // "S 4*" is a standalone window showing a spreadsheet; "T 1* 3r" a tabbed window
    // whose current tab is a browser page and which remembers its text document's tab.
    KVantaMainWindow* openWindow(const QString& spec)
    {
        const QStringList parts = spec.split(' ', Qt::SkipEmptyParts);
        const bool standalone = parts.first() == "S";
        KVantaMainWindow* window = m_shell->createMainWindow(standalone ? KVantaMainWindow::StandaloneHeaderbar : 0);
        for (const QString& part : parts.mid(1)) {
            KVantaPage* page = window->centralArea()->addPage(part.left(1).toInt(), "doc", {});
            if (part.contains('*'))
                window->centralArea()->setCurrentPage(page);
            if (part.contains('r'))
                window->tabBar()->setDocumentTab(page->subPages()->currentSubPage()->tab());
        }
        return window;
    }

    std::shared_ptr<KVantaServicesCobClient> clientOf(int type) const
    {
        return m_shell->processHost()->cobClient(type);
    }

    static QVariantMap decodedParam(const std::string& param)
    {
        const QByteArray json =
            QByteArray::fromBase64(QByteArray::fromStdString(param), QByteArray::AbortOnBase64DecodingErrors);
        return JsonHelper::convertStringToQJson(QString::fromUtf8(json)).toVariantMap();
    }

    QList<KTestLogRecord> errorsOf(const QString& module) const
    {
        QList<KTestLogRecord> errors;
        for (const KTestLogRecord& record : m_runtime->logRecords()) {
            if (record.level == "ERROR" && record.module == module)
                errors.append(record);
        }
        return errors;
    }

private slots:
    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        m_shell = std::make_unique<KVantaApplication>();
    }

    void cleanup()
    {
        m_shell.reset();
        m_runtime.reset();
    }

    void clientLookup_data()
    {
        QTest::addColumn<QStringList>("windows");
        QTest::addColumn<int>("currentWindow");
        QTest::addColumn<int>("standaloneType"); // -1: no client
        QTest::addColumn<int>("documentType");   // -1: no client
        QTest::addColumn<int>("tabWindow");

        QTest::newRow("standalone document window") << QStringList{"T 3*", "S 4*"} << 1 << 4 << 3 << 0;
        QTest::newRow("standalone window without a document") << QStringList{"S 1*", "T 5*"} << 0 << -1 << 5 << 1;
        QTest::newRow("standalone window showing a pdf") << QStringList{"S 6*"} << 0 << -1 << -1 << -1;
        QTest::newRow("standalone window not current") << QStringList{"T 1*", "S 4*"} << 0 << -1 << -1 << -1;
        QTest::newRow("tabbed window is not standalone") << QStringList{"T 3*"} << 0 << -1 << 3 << 0;
        QTest::newRow("current window first") << QStringList{"T 3*", "T 4*"} << 1 << -1 << 4 << 1;
        QTest::newRow("first window when the current has none")
            << QStringList{"T 5*", "T 1*", "T 4*"} << 1 << -1 << 5 << 0;
        QTest::newRow("remembered document tab") << QStringList{"T 1* 5r"} << 0 << -1 << 5 << 0;
        QTest::newRow("current document tab over the remembered one") << QStringList{"T 3* 5r"} << 0 << -1 << 3 << 0;
        QTest::newRow("no document page anywhere") << QStringList{"T 1* 2 6", "S 2*"} << 0 << -1 << -1 << -1;
    }

    void clientLookup()
    {
        QFETCH(QStringList, windows);
        QFETCH(int, currentWindow);
        QFETCH(int, standaloneType);
        QFETCH(int, documentType);
        QFETCH(int, tabWindow);
        // One document process per widget type, each listening on its own port and never answering.
        std::map<int, std::unique_ptr<KBrokenShell>> processes;
        for (int type = 1; type <= 6; ++type) {
            processes[type] = std::make_unique<KBrokenShell>(KBrokenShell::Silent);
            m_runtime->setValue(QStringLiteral("vanta/services/%1").arg(type), processes[type]->address());
        }
        QList<KVantaMainWindow*> opened;
        for (const QString& spec : windows)
            opened.append(openWindow(spec));
        m_shell->setCurrentMainWindow(opened.at(currentWindow));

        const auto standalone = KxZembaResourceRpcClientHelper::getCurrentStandaloneClient();
        QCOMPARE(standalone, standaloneType < 0 ? nullptr : clientOf(standaloneType));
        QPointer<KVantaTab> tab;
        const auto document = KxZembaResourceRpcClientHelper::getCurrentClient(tab);
        QCOMPARE(document, documentType < 0 ? nullptr : clientOf(documentType));
        if (tabWindow < 0) {
            QVERIFY(tab.isNull());
        } else {
            QCOMPARE(tab.data(), KxZembaResourceRpcClientHelper::findDocumentTab(opened.at(tabWindow)));
            QCOMPARE(tab->subPage()->widgetType(), documentType);
        }
        QCOMPARE(KxZembaResourceRpcClientHelper::getCurrentClient(), document);

        // The task pane goes to the process of the document that wins, or nowhere.
        setSplitResourceShopMode(kShop, 1);
        const int target = standaloneType >= 0 ? standaloneType : documentType;
        QCOMPARE(KxSplitResourceShopOpenLite::open(kShop, {{"entry", "e"}}), target >= 0);
        if (target >= 0)
            QTRY_COMPARE(processes[target]->requests(), 1);
        QTest::qWait(50);
        for (auto& process : processes)
            QCOMPARE(process.second->requests(), process.first == target ? 1 : 0);
    }

    void documentPageTypes_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("document");
        QTest::newRow("plug-in page") << 2 << false;
        QTest::newRow("text") << 3 << true;
        QTest::newRow("spreadsheet") << 4 << true;
        QTest::newRow("presentation") << 5 << true;
        QTest::newRow("pdf") << 6 << false;
        QTest::newRow("none") << -1 << false;
    }

    void documentPageTypes()
    {
        QFETCH(int, type);
        QFETCH(bool, document);
        QCOMPARE(KxZembaResourceRpcClientHelper::isDocumentPage(static_cast<KVantaPluginWidget::WidgetType>(type)),
                 document);
    }

    void noAddressNoClient_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("none configured") << QString();
        QTest::newRow("not loopback") << "192.0.2.1:9090";
        QTest::newRow("host name") << "shell.example:9090";
        QTest::newRow("no port") << "127.0.0.1";
        QTest::newRow("port out of range") << "127.0.0.1:70000";
    }

    void noAddressNoClient()
    {
        QFETCH(QString, address);
        if (!address.isEmpty())
            m_runtime->setValue("vanta/services/default", address);
        openWindow("T 3*");
        setSplitResourceShopMode(kShop, 1);
        QVERIFY(!clientOf(3));
        QVERIFY(!KxSplitResourceShopOpenLite::open(kShop, {{"entry", "e"}}));
    }

    // The request reaches the shell's generated processor with its name and Base64 JSON.
    void taskpaneRequestReachesTheShell()
    {
        KShellServer text;
        KShellServer spreadsheet;
        m_runtime->setValue("vanta/services/3", text.address());
        m_runtime->setValue("vanta/services/default", spreadsheet.address());
        openWindow("T 1 4*");
        setSplitResourceShopMode(kShop, 1);

        const QVariantMap params{{"entry", "insert"}, {"extra", QVariantMap{{"k", "v"}}}, {"n", 2}};
        QVERIFY(KxSplitResourceShopOpenLite::open(kShop, params));
        QTRY_COMPARE(spreadsheet.handler().calls().size(), size_t(1));
        const KShellCall call = spreadsheet.handler().calls().front();
        QCOMPARE(QString::fromStdString(call.funcName), QStringLiteral("openZembaResourceTaskpane"));
        QVariantMap expected = params;
        expected.insert("appId", kShop);
        expected.insert("openmode", "taskpane");
        QCOMPARE(decodedParam(call.param), expected);
        QVERIFY(text.handler().calls().empty());

        // A second request shares the connection; the replies were read without complaint.
        QVERIFY(KxSplitResourceShopOpenLite::open(kShop, params));
        QTRY_COMPARE(spreadsheet.handler().calls().size(), size_t(2));
        QTest::qWait(50);
        QVERIFY(errorsOf("KxSplitResourceShopOpenLite").isEmpty());
        QVERIFY(errorsOf("KVantaAsyncChannel").isEmpty());
    }

    // The reader of the reply sees an exception; it is logged and goes no further.
    void shellHandlerFailureIsLogged()
    {
        KShellServer shell;
        shell.handler().setFailing(true);
        m_runtime->setValue("vanta/services/default", shell.address());
        openWindow("T 3*");
        setSplitResourceShopMode(kShop, 1);

        QVERIFY(KxSplitResourceShopOpenLite::open(kShop, {{"entry", "e"}}));
        QTRY_COMPARE(errorsOf("KxSplitResourceShopOpenLite").size(), 1);
        QCOMPARE(errorsOf("KxSplitResourceShopOpenLite").first().message,
                 QStringLiteral("openZembaResourceTaskpane failed: the task pane is not ready"));
        // The connection itself is sound and stays in use.
        QVERIFY(errorsOf("KVantaAsyncChannel").isEmpty());
        const auto client = clientOf(3);
        QVERIFY(KxSplitResourceShopOpenLite::open(kShop, {{"entry", "e"}}));
        QTRY_COMPARE(errorsOf("KxSplitResourceShopOpenLite").size(), 2);
        QCOMPARE(clientOf(3), client);
    }

    void brokenShell_data()
    {
        QTest::addColumn<int>("behaviour");
        QTest::addColumn<QString>("channelError"); // empty: the channel stays sound

        QTest::newRow("closes the connection") << int(KBrokenShell::Closes) << "*";
        QTest::newRow("answers garbage") << int(KBrokenShell::AnswersGarbage) << QString();
        QTest::newRow("answers another call") << int(KBrokenShell::AnswersWrongMethod) << QString();
        QTest::newRow("answers without frames")
            << int(KBrokenShell::AnswersUnframed) << "a reply frame of 1213486160 bytes is over the limit";
        QTest::newRow("never answers") << int(KBrokenShell::Silent) << "no reply within 300 ms";
    }

    // The caller hears true (the request went out), the failure is logged, nothing crashes,
    // and a shell that broke the connection is reached over a new one next time.
    void brokenShell()
    {
        QFETCH(int, behaviour);
        QFETCH(QString, channelError);
        KBrokenShell shell(static_cast<KBrokenShell::Behaviour>(behaviour));
        m_runtime->setValue("vanta/services/default", shell.address());
        m_runtime->setValue("vanta/servicesTimeoutMs", 300);
        openWindow("T 3*");
        setSplitResourceShopMode(kShop, 1);

        const auto client = clientOf(3);
        QVERIFY(KxSplitResourceShopOpenLite::open(kShop, {{"entry", "e"}}));
        QTRY_COMPARE(errorsOf("KxSplitResourceShopOpenLite").size(), 1);
        const QString readerError = errorsOf("KxSplitResourceShopOpenLite").first().message;
        QVERIFY2(readerError.startsWith("openZembaResourceTaskpane failed: "), qPrintable(readerError));
        const QList<KTestLogRecord> channelErrors = errorsOf("KVantaAsyncChannel");
        if (channelError.isEmpty()) {
            QVERIFY(channelErrors.isEmpty());
            QCOMPARE(clientOf(3), client);
            return;
        }
        QCOMPARE(channelErrors.size(), 1);
        const QString prefix = QStringLiteral("kvantaservices at %1: ").arg(shell.address());
        QVERIFY2(channelErrors.first().message.startsWith(prefix), qPrintable(channelErrors.first().message));
        if (channelError != "*")
            QCOMPARE(channelErrors.first().message.mid(prefix.size()), channelError);

        const auto next = clientOf(3);
        QVERIFY(next && next != client);
        QVERIFY(KxSplitResourceShopOpenLite::open(kShop, {{"entry", "e"}}));
        QTRY_COMPARE(shell.requests(), 2);
    }

    // A request too large to frame fails on its own; the connection stays in use.
    void requestOverTheLimitFailsAlone()
    {
        KShellServer shell;
        m_runtime->setValue("vanta/services/default", shell.address());
        openWindow("T 3*");
        setSplitResourceShopMode(kShop, 1);

        const QString huge(13 * 1024 * 1024, QLatin1Char('x'));
        QVERIFY(KxSplitResourceShopOpenLite::open(kShop, {{"entry", "e"}, {"huge", huge}}));
        QTRY_COMPARE(errorsOf("KxSplitResourceShopOpenLite").size(), 1);
        const QList<KTestLogRecord> channelErrors = errorsOf("KVantaAsyncChannel");
        QCOMPARE(channelErrors.size(), 1);
        QVERIFY2(channelErrors.first().message.endsWith("bytes is over the limit"),
                 qPrintable(channelErrors.first().message));

        QVERIFY(KxSplitResourceShopOpenLite::open(kShop, {{"entry", "e"}}));
        QTRY_COMPARE(shell.handler().calls().size(), size_t(1));
        QCOMPARE(decodedParam(shell.handler().calls().front().param).value("entry").toString(), QStringLiteral("e"));
    }

    // Requests sent while the connection is being made go out once it stands, in order.
    void requestsQueuedWhileConnecting()
    {
        KShellServer shell;
        m_runtime->setValue("vanta/services/default", shell.address());
        openWindow("T 3*");
        setSplitResourceShopMode(kShop, 1);

        for (int i = 0; i < 3; ++i)
            QVERIFY(KxSplitResourceShopOpenLite::open(kShop, {{"entry", "e"}, {"n", i}}));
        QTRY_COMPARE(shell.handler().calls().size(), size_t(3));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(decodedParam(shell.handler().calls().at(i).param).value("n").toInt(), i);
        QTest::qWait(50);
        QVERIFY(errorsOf("KxSplitResourceShopOpenLite").isEmpty());
    }

    // A client dropped with requests in flight takes them along; nothing is called late.
    void shellGoneWithRequestsInFlight()
    {
        KBrokenShell shell(KBrokenShell::Silent);
        m_runtime->setValue("vanta/services/default", shell.address());
        openWindow("T 3*");
        setSplitResourceShopMode(kShop, 1);
        QVERIFY(KxSplitResourceShopOpenLite::open(kShop, {{"entry", "e"}}));
        QTRY_COMPARE(shell.requests(), 1);
        m_shell.reset();
        QTest::qWait(50);
        QVERIFY(errorsOf("KxSplitResourceShopOpenLite").isEmpty());
    }

private:
    std::unique_ptr<KTestRuntime> m_runtime;
    std::unique_ptr<KVantaApplication> m_shell;
};

KZEMBA_TEST_MAIN(TstShellClient)
#include "tst_shellclient.moc"
