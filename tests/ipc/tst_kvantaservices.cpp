// The shell IPC service as the library carries it: the generated clients against the generated
// processors, over in-memory transports with the binary protocol.
#include "ktestapplication.h"
#include "ktestasyncchannel.h"
#include "ktestkvantacobhandler.h"
#include "ktestkvantahandler.h"
#include "ktestpipetransport.h"

#include "kvantaservices.h"
#include "ipc/kvantaservicessafeasyncprocessorfactory.h"

#include <thrift/TApplicationException.h>
#include <thrift/TOutput.h>
#include <thrift/async/TConcurrentClientSyncInfo.h>
#include <thrift/protocol/TBinaryProtocol.h>
#include <thrift/protocol/TProtocolException.h>
#include <thrift/transport/TBufferTransports.h>
#include <thrift/transport/TTransportException.h>

#include <QThread>
#include <QtTest>

#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>

using namespace qox::kvanta;
using apache::thrift::TApplicationException;
using apache::thrift::TConnectionInfo;
using apache::thrift::protocol::TBinaryProtocol;
using apache::thrift::protocol::TBinaryProtocolFactory;
using apache::thrift::protocol::TMessageType;
using apache::thrift::protocol::TProtocolException;
using apache::thrift::protocol::TType;
using apache::thrift::transport::TMemoryBuffer;
using apache::thrift::transport::TTransportException;

using ClientCall = std::function<std::string(kvantaservicesClient&)>;
Q_DECLARE_METATYPE(ClientCall)
Q_DECLARE_METATYPE(TType)

namespace {

using namespace apache::thrift::protocol;

struct MethodShape
{
    const char* name;
    TType returns; // T_VOID for a method that answers nothing
};

// The service in the order of its definition.
const MethodShape kMethods[] = {
    {"activateSubWindowByDocumentFullName", T_VOID},
    {"activeSubWindow", T_BOOL},
    {"applicationConnected", T_VOID},
    {"applicationDeActive", T_VOID},
    {"applicationDestroyed", T_VOID},
    {"applyZembaResource", T_MAP},
    {"autoBackup", T_VOID},
    {"backupFileStateChanged", T_VOID},
    {"backupSettingChanged", T_VOID},
    {"blockPagesEmptyAutoClose", T_VOID},
    {"callZembaV2Extention", T_MAP},
    {"cancelSubWindowDestroyed", T_VOID},
    {"changeVantaInnerWindowPosition", T_VOID},
    {"changeVantaMainWindowWindowState", T_VOID},
    {"checkKnockInsertPictureStatus", T_BOOL},
    {"clientConnected", T_VOID},
    {"clientError", T_VOID},
    {"closeApplication", T_VOID},
    {"closeMainWindow", T_BOOL},
    {"cloudFielStateChanged", T_VOID},
    {"containerPageDpiValueSetup", T_VOID},
    {"containerPageVisibleChanged", T_VOID},
    {"docAssistIconEvent", T_VOID},
    {"docAssistRecognized", T_VOID},
    {"docBackup", T_I64},
    {"docCloudRefresh", T_VOID},
    {"docCloudReset", T_VOID},
    {"docCloudUploadRightNow", T_VOID},
    {"docEncryption", T_VOID},
    {"zembaCallObjectMethod", T_MAP},
    {"docInfoChanged", T_VOID},
    {"docMethodCall", T_MAP},
    {"docSave", T_VOID},
    {"docSaveAs", T_VOID},
    {"docSaveAs2", T_VOID},
    {"docShareLink", T_VOID},
    {"docShowCloudFileHistroy", T_VOID},
    {"docShowProperty", T_VOID},
    {"docUploadToCloud", T_VOID},
    {"doRename", T_VOID},
    {"embedPageToVanta", T_VOID},
    {"endStatistics", T_VOID},
    {"export2pdf", T_BOOL},
    {"getCurrentIndex", T_I32},
    {"getCurrentVantaPageType", T_I32},
    {"getDocumentPageCount", T_I32},
    {"getPageCount", T_I32},
    {"getPluginActionInfoEx", T_STRING},
    {"getStatisticsResult", T_STRING},
    {"getTouchbarShowAddFlag", T_BOOL},
    {"handleExtendedFunc", T_VOID},
    {"hasPopupMenuShow", T_BOOL},
    {"helpInfoRequested", T_VOID},
    {"hideDocAssistBulb", T_VOID},
    {"insertPictureToDocument", T_BOOL},
    {"ipcCall", T_MAP},
    {"isSubTabbarAloneMode", T_BOOL},
    {"knockInsertPictures", T_I32},
    {"mainWindowActivated", T_VOID},
    {"mainWindowAdded", T_VOID},
    {"mainWindowDeActive", T_VOID},
    {"mainWindowDestroyed", T_VOID},
    {"mainWindowIOProgress", T_VOID},
    {"mainWindowMinimumSizeChanged", T_VOID},
    {"mainWindowRemoved", T_VOID},
    {"mainWindowSetGeometry", T_VOID},
    {"mainWindowShowToFront", T_VOID},
    {"mainWindowVisible", T_VOID},
    {"moveSubWindowTo", T_BOOL},
    {"newDefaultTab", T_VOID},
    {"newDocument", T_VOID},
    {"newExportPage", T_VOID},
    {"newMainwindow", T_VOID},
    {"notFoundDocWhenRecover", T_VOID},
    {"notifyAppcenterMsg", T_VOID},
    {"notifyAppcenterRunAppByCmdObj", T_VOID},
    {"notifyAutoSaveSwitchChanged", T_VOID},
    {"notifyCaptionChanged", T_VOID},
    {"notifyCloseSevenDaysFreeBanner", T_VOID},
    {"notifyCoopCancelOpenFile", T_VOID},
    {"notifyCoopFatalError", T_VOID},
    {"notifyCoopInitialized", T_VOID},
    {"notifyCoopUpdateLoadingProcess", T_VOID},
    {"notifyDocCoopEnabled", T_VOID},
    {"notifyDocCoopStatusChanged", T_VOID},
    {"notifyDocOutWard", T_VOID},
    {"notifyDocTurboEnabled", T_VOID},
    {"notifyDocumentModified", T_VOID},
    {"notifyEnterModeAfterOpen", T_VOID},
    {"notifyGeneralRecommendActionMsg", T_VOID},
    {"notifyGetAutoSaveSwitch", T_VOID},
    {"notifyGetKdcResult", T_VOID},
    {"notifyGuideLoginFinished", T_VOID},
    {"notifyHeartbeat", T_VOID},
    {"notifyIdMsoIsDisable", T_VOID},
    {"notifyJsapiPage", T_VOID},
    {"notifyVdlWebStartup", T_VOID},
    {"notifyLoadOnlineExtFont", T_VOID},
    {"notifyMainWindowReattachment", T_VOID},
    {"notifyNotAutoCloseWhenEmpty", T_VOID},
    {"notifyOnlineFileAction", T_VOID},
    {"notifyOpenCompany", T_VOID},
    {"notifyVantaAction", T_VOID},
    {"notifyVantaChangeFloatingCtrlsState", T_VOID},
    {"notifyVantaDockMessage", T_VOID},
    {"notifyVantaHandleFileOpenningInfo", T_VOID},
    {"notifyVantaHandleFileSavingInfo", T_VOID},
    {"notifyVantaOpen3rdCloudFile", T_VOID},
    {"notifyVantaOpenCloudFile", T_VOID},
    {"notifyVantaSingleDocument", T_VOID},
    {"notifyVantaTabColor", T_VOID},
    {"notifyVantaTabFontBold", T_VOID},
    {"notifySecdocBackupState", T_VOID},
    {"notifySetPreviewMode", T_VOID},
    {"notifySubWindowRemovable", T_VOID},
    {"notifyUpdateLocalRecentFile", T_VOID},
    {"notifyUpdateTouchBarImage", T_VOID},
    {"officeSpaceNotify", T_VOID},
    {"openBackupCenter", T_VOID},
    {"openCloudFile", T_VOID},
    {"openZembaTemp", T_VOID},
    {"openFiles", T_VOID},
    {"opusAppChildAdded", T_VOID},
    {"opusAppChildRemoved", T_VOID},
    {"popupNewToCloudTip", T_VOID},
    {"popupTabTip", T_VOID},
    {"printFiles", T_VOID},
    {"vantaAeroEffectChanged", T_VOID},
    {"vantaGuideLogin", T_VOID},
    {"vantaJsapiPage", T_VOID},
    {"vantaVdlWebStartup", T_VOID},
    {"vantaMessageBox", T_VOID},
    {"vantaNewFiles", T_VOID},
    {"vantaOpenFiles", T_VOID},
    {"vantaPluginFiles", T_VOID},
    {"vantaPrintFiles", T_VOID},
    {"vantaRunApp", T_VOID},
    {"vantaSkinSwtiched", T_VOID},
    {"vantaTestFiles", T_VOID},
    {"vantaToEmbedPage", T_VOID},
    {"queryCloseMainwindow", T_I32},
    {"queryCloseSubWindow", T_I32},
    {"queryDisableByIdMso", T_VOID},
    {"queryDocInfo", T_MAP},
    {"queryMainWindowHasSubDialogShow", T_BOOL},
    {"queryQuit", T_VOID},
    {"querySuspend", T_BOOL},
    {"readyForShow", T_VOID},
    {"recoverDocument", T_VOID},
    {"reloadCloudFile", T_VOID},
    {"reloadDocument", T_VOID},
    {"removeRecentFile", T_VOID},
    {"requestChangeTabReAttachEnable", T_VOID},
    {"resetSubPage", T_VOID},
    {"saveAs", T_BOOL},
    {"savePicture", T_BOOL},
    {"sendCommand", T_VOID},
    {"sendDragFiles", T_VOID},
    {"sendGetKdcMessage", T_VOID},
    {"sendLoadingMessage", T_VOID},
    {"sendVantaDockMessage", T_VOID},
    {"sendVantaOperationTrackingInfo", T_VOID},
    {"sendVantaStageMessage", T_VOID},
    {"sendTouchBarCommand", T_VOID},
    {"setAICopilotState", T_VOID},
    {"setAppDevMode", T_VOID},
    {"setAppEditting", T_VOID},
    {"setBackupKeepCacheDays", T_VOID},
    {"setCurrentIndex", T_VOID},
    {"setHeaderBarVisible", T_VOID},
    {"setIsAIPreview", T_VOID},
    {"setIsOpenPreview", T_VOID},
    {"setMainWindowOperable", T_VOID},
    {"setModal", T_VOID},
    {"setUserThemeData", T_VOID},
    {"shortcutsActivated", T_VOID},
    {"showDefinition", T_VOID},
    {"showGuideLoginPromptBar", T_VOID},
    {"showOpenFileDialog", T_VOID},
    {"showSaveAsDialog", T_VOID},
    {"sigFullscreenChange", T_VOID},
    {"sigPdfAnnotationTypeChange", T_VOID},
    {"sigSubTabbarAloneModeChange", T_VOID},
    {"startStatistics", T_VOID},
    {"subWindowActivated", T_VOID},
    {"subWindowAdded", T_VOID},
    {"subWindowDestroyed", T_VOID},
    {"subWindowDocAfterSave", T_VOID},
    {"subWindowDocPathChanged", T_VOID},
    {"subWindowInfoChanged", T_VOID},
    {"subWindowInOfficialModeViewChanged", T_VOID},
    {"subWindowInOfficialViewChanged", T_VOID},
    {"subWindowRemoved", T_VOID},
    {"subWindowStateIconChanged", T_VOID},
    {"subWindowTitleChanged", T_VOID},
    {"subWindowVisible", T_VOID},
    {"switchToCooperation", T_VOID},
    {"syncBackupInfo", T_VOID},
    {"syncBackupSettings", T_VOID},
    {"syncCoopSwitchCache", T_VOID},
    {"syncFixedRecentRecord", T_VOID},
    {"syncRecentLastFolder", T_VOID},
    {"syncRenamedRecentRecord", T_VOID},
    {"tipsSelectRangeExist", T_VOID},
    {"transmitCommandline", T_VOID},
    {"transmitPluginActionEx", T_VOID},
    {"triggerCommand", T_VOID},
    {"triggerCopilot", T_VOID},
    {"updateBackupRecoverId", T_VOID},
};
static_assert(std::size(kMethods) == 209, "the shell service has 209 methods");

std::string render(const std::map<std::string, std::string>& map)
{
    std::string text;
    for (const auto& [key, value] : map)
        text += (text.empty() ? "" : ";") + key + "=" + value;
    return text;
}

std::shared_ptr<TMemoryBuffer> emptyResultReply(const std::string& method)
{
    auto buffer = std::make_shared<TMemoryBuffer>();
    TBinaryProtocol out(buffer);
    out.writeMessageBegin(method, T_REPLY, 0);
    out.writeStructBegin("result");
    out.writeFieldStop();
    out.writeStructEnd();
    out.writeMessageEnd();
    return buffer;
}

std::shared_ptr<TMemoryBuffer> callWithoutArguments(const std::string& method, int32_t seqid)
{
    auto buffer = std::make_shared<TMemoryBuffer>();
    TBinaryProtocol out(buffer);
    out.writeMessageBegin(method, T_CALL, seqid);
    out.writeStructBegin("args");
    out.writeFieldStop();
    out.writeStructEnd();
    out.writeMessageEnd();
    return buffer;
}

std::shared_ptr<kvantaservicesProcessor> makeProcessor(std::shared_ptr<kvantaservicesIf> handler)
{
    kvantaservicesProcessorFactory factory(std::make_shared<kvantaservicesIfSingletonFactory>(handler));
    return std::dynamic_pointer_cast<kvantaservicesProcessor>(factory.getProcessor(TConnectionInfo()));
}

FileItem fileItem(int32_t id, const std::string& file, bool macros, std::map<std::string, std::string> extra)
{
    FileItem item;
    item.__set_id(id);
    item.__set_file(file);
    item.__set_bEnableMacros(macros);
    item.__set_extraParam(std::move(extra));
    return item;
}

std::string g_thriftOutput;
void captureThriftOutput(const char* message)
{
    g_thriftOutput += message;
}

// A fresh buffer holding what `buffer` holds, to read it from the start.
std::shared_ptr<TMemoryBuffer> copyOf(TMemoryBuffer& buffer)
{
    const std::string bytes = buffer.getBufferAsString();
    auto copy = std::make_shared<TMemoryBuffer>();
    copy->write(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()));
    return copy;
}

// A callback-style handler whose export2pdf throws, before answering or after it.
class KThrowingCobHandler : public KTestKvantaCobHandler
{
public:
    KThrowingCobHandler(std::shared_ptr<KTestKvantaHandler> handler, bool answerFirst)
        : KTestKvantaCobHandler(std::move(handler))
        , m_answerFirst(answerFirst)
    {
    }

    void export2pdf(std::function<void(const bool& _return)> cob, const int64_t id, const std::string& filePath) override
    {
        if (m_answerFirst)
            cob(true);
        throw std::runtime_error("cannot export document " + std::to_string(id) + " to " + filePath);
    }

private:
    bool m_answerFirst;
};

} // namespace

class TstKvantaServices : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_handler = std::make_shared<KTestKvantaHandler>();
        std::tie(m_clientEnd, m_serverEnd) = KTestPipeTransport::createPair();
        m_serverError.clear();
    }

    void cleanup()
    {
        m_clientEnd->close();
        if (m_server) {
            QVERIFY(m_server->wait(30000));
            m_server.reset();
        }
        QCOMPARE(QString::fromStdString(m_serverError), QString());
    }

    void returnValuesRoundTrip_data()
    {
        QTest::addColumn<ClientCall>("call");
        QTest::addColumn<QString>("answer");

        QTest::newRow("bool true") << ClientCall([](kvantaservicesClient& c) {
            return std::string(c.activeSubWindow(7) ? "true" : "false");
        }) << "true";
        QTest::newRow("bool false") << ClientCall([](kvantaservicesClient& c) {
            return std::string(c.activeSubWindow(8) ? "true" : "false");
        }) << "false";
        QTest::newRow("i32") << ClientCall([](kvantaservicesClient& c) {
            return std::to_string(c.getCurrentVantaPageType(123456));
        }) << "-123456";
        QTest::newRow("i64 beyond 32 bits") << ClientCall([](kvantaservicesClient& c) {
            return std::to_string(c.docBackup(int64_t(1) << 40, "a.docx"));
        }) << QString::number((qint64(1) << 41) + 6);
        QTest::newRow("string") << ClientCall([](kvantaservicesClient& c) {
            std::string result;
            c.getStatisticsResult(result, 9, "words");
            return result;
        }) << "words#9";
        QTest::newRow("map") << ClientCall([](kvantaservicesClient& c) {
            std::map<std::string, std::string> result;
            c.queryDocInfo(result, 42);
            return render(result);
        }) << QString::fromUtf8("empty=;id=42;title=Bericht \xc3\xbc.docx");
        QTest::newRow("empty map") << ClientCall([](kvantaservicesClient& c) {
            std::map<std::string, std::string> result{{"stale", "value"}};
            c.queryDocInfo(result, 0);
            return render(result);
        }) << QString();
    }

    void returnValuesRoundTrip()
    {
        QFETCH(ClientCall, call);
        QFETCH(QString, answer);
        serve();
        kvantaservicesClient client(std::make_shared<TBinaryProtocol>(m_clientEnd));

        QCOMPARE(QString::fromStdString(call(client)), answer);
        // The reply was read to its end: the next call starts on a clean stream.
        QCOMPARE(m_clientEnd->pendingBytes(), 0);
        QCOMPARE(client.activeSubWindow(7), true);
    }

    void voidCallWaitsForItsReply()
    {
        m_handler->voidDelayMs = 200;
        serve();
        kvantaservicesClient client(std::make_shared<TBinaryProtocol>(m_clientEnd));

        client.transmitCommandline("--open /tmp/a.docx");

        QCOMPARE(m_handler->commandlineDone.loadAcquire(), 1);
        QCOMPARE(QString::fromStdString(m_handler->lastCommandline), QStringLiteral("--open /tmp/a.docx"));
        QCOMPARE(m_clientEnd->pendingBytes(), 0);
    }

    void voidReplyIsAnEmptyResult()
    {
        auto request = std::make_shared<TMemoryBuffer>();
        auto reply = std::make_shared<TMemoryBuffer>();
        kvantaservicesClient client(std::make_shared<TBinaryProtocol>(reply), std::make_shared<TBinaryProtocol>(request));
        client.send_transmitCommandline("--new");

        // Without a reply the client has nothing to return from.
        QVERIFY_EXCEPTION_THROWN(client.recv_transmitCommandline(), TTransportException);

        QVERIFY(makeProcessor(m_handler)->process(std::make_shared<TBinaryProtocol>(request),
                                                  std::make_shared<TBinaryProtocol>(reply), nullptr));
        QCOMPARE(QString::fromStdString(m_handler->lastCommandline), QStringLiteral("--new"));

        const std::shared_ptr<TMemoryBuffer> copy = copyOf(*reply);
        TBinaryProtocol in(copy);
        std::string name;
        TMessageType type;
        int32_t seqid = -1;
        std::string structName;
        std::string fieldName;
        TType fieldType;
        int16_t fieldId;
        in.readMessageBegin(name, type, seqid);
        in.readStructBegin(structName);
        in.readFieldBegin(fieldName, fieldType, fieldId);
        QCOMPARE(QString::fromStdString(name), QStringLiteral("transmitCommandline"));
        QCOMPARE(type, T_REPLY);
        QCOMPARE(seqid, 0);
        QCOMPARE(fieldType, T_STOP);
        QCOMPARE(copy->available_read(), 0u);

        client.recv_transmitCommandline();
        QCOMPARE(reply->available_read(), 0u);
    }

    void replyWithoutSuccessFails_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<ClientCall>("receive");

        QTest::newRow("map") << "queryDocInfo" << ClientCall([](kvantaservicesClient& c) {
            std::map<std::string, std::string> result;
            c.recv_queryDocInfo(result);
            return render(result);
        });
        QTest::newRow("bool") << "saveAs"
                              << ClientCall([](kvantaservicesClient& c) { return std::to_string(c.recv_saveAs()); });
        QTest::newRow("i32") << "getCurrentIndex" << ClientCall([](kvantaservicesClient& c) {
            return std::to_string(c.recv_getCurrentIndex());
        });
        QTest::newRow("i64") << "docBackup"
                             << ClientCall([](kvantaservicesClient& c) { return std::to_string(c.recv_docBackup()); });
        QTest::newRow("string") << "getStatisticsResult" << ClientCall([](kvantaservicesClient& c) {
            std::string result;
            c.recv_getStatisticsResult(result);
            return result;
        });
    }

    void replyWithoutSuccessFails()
    {
        QFETCH(QString, method);
        QFETCH(ClientCall, receive);
        kvantaservicesClient client(std::make_shared<TBinaryProtocol>(emptyResultReply(method.toStdString())),
                                    std::make_shared<TBinaryProtocol>(std::make_shared<TMemoryBuffer>()));
        try {
            const std::string value = receive(client);
            QFAIL(qPrintable("answered " + QString::fromStdString(value)));
        } catch (const TApplicationException& e) {
            QCOMPARE(e.getType(), TApplicationException::MISSING_RESULT);
            QCOMPARE(QString::fromUtf8(e.what()), method + " failed: unknown result");
        }
    }

    void unknownMethodIsAnsweredWithAnException()
    {
        // A call the shell does not know, with arguments to skip, then one it knows.
        auto request = std::make_shared<TMemoryBuffer>();
        TBinaryProtocol out(request);
        out.writeMessageBegin("openInOtherShell", T_CALL, 42);
        out.writeStructBegin("args");
        out.writeFieldBegin("path", T_STRING, 1);
        out.writeString(std::string("/tmp/a.docx"));
        out.writeFieldEnd();
        out.writeFieldBegin("items", T_LIST, 2);
        out.writeListBegin(T_STRUCT, 1);
        fileItem(1, "b.docx", true, {{"k", "v"}}).write(&out);
        out.writeListEnd();
        out.writeFieldEnd();
        out.writeFieldStop();
        out.writeStructEnd();
        out.writeMessageEnd();
        out.writeMessageBegin("activeSubWindow", T_CALL, 43);
        out.writeStructBegin("args");
        out.writeFieldBegin("id", T_I64, 1);
        out.writeI64(7);
        out.writeFieldEnd();
        out.writeFieldStop();
        out.writeStructEnd();
        out.writeMessageEnd();

        auto reply = std::make_shared<TMemoryBuffer>();
        auto processor = makeProcessor(m_handler);
        auto in = std::make_shared<TBinaryProtocol>(request);
        auto replies = std::make_shared<TBinaryProtocol>(reply);
        QVERIFY(processor->process(in, replies, nullptr));
        QVERIFY(processor->process(in, replies, nullptr));
        QCOMPARE(request->available_read(), 0u);

        std::string name;
        TMessageType type;
        int32_t seqid = 0;
        replies->readMessageBegin(name, type, seqid);
        QCOMPARE(QString::fromStdString(name), QStringLiteral("openInOtherShell"));
        QCOMPARE(type, T_EXCEPTION);
        QCOMPARE(seqid, 42);
        TApplicationException error;
        error.read(replies.get());
        replies->readMessageEnd();
        QCOMPARE(error.getType(), TApplicationException::UNKNOWN_METHOD);
        QCOMPARE(QString::fromUtf8(error.what()), QStringLiteral("Invalid method name: 'openInOtherShell'"));

        replies->readMessageBegin(name, type, seqid);
        QCOMPARE(QString::fromStdString(name), QStringLiteral("activeSubWindow"));
        QCOMPARE(type, T_REPLY);
        QCOMPARE(seqid, 43);
        bool answer = false;
        kvantaservices_activeSubWindow_presult result;
        result.success = &answer;
        result.read(replies.get());
        QVERIFY(result.__isset.success);
        QCOMPARE(answer, true);
    }

    void handlerExceptionBecomesAnExceptionReply()
    {
        serve();
        kvantaservicesClient client(std::make_shared<TBinaryProtocol>(m_clientEnd));

        try {
            client.export2pdf(5, "/tmp/a.pdf");
            QFAIL("the call succeeded");
        } catch (const TApplicationException& e) {
            QCOMPARE(e.getType(), TApplicationException::UNKNOWN);
            QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("cannot export document 5 to /tmp/a.pdf"));
        }

        // The processor goes on serving the same connection.
        QCOMPARE(client.activeSubWindow(7), true);
        std::string result;
        client.getStatisticsResult(result, 1, "pages");
        QCOMPARE(QString::fromStdString(result), QStringLiteral("pages#1"));
    }

    void emptyFileListIsAStructListOfSizeZero()
    {
        auto request = std::make_shared<TMemoryBuffer>();
        kvantaservicesClient client(std::make_shared<TBinaryProtocol>(std::make_shared<TMemoryBuffer>()),
                                    std::make_shared<TBinaryProtocol>(request));
        client.send_openFiles(3, {});

        TBinaryProtocol in(copyOf(*request));
        std::string name;
        TMessageType type;
        int32_t seqid = -1;
        std::string unused;
        TType fieldType;
        int16_t fieldId = 0;
        int64_t window = 0;
        TType elementType = T_STOP;
        uint32_t size = 99;
        in.readMessageBegin(name, type, seqid);
        QCOMPARE(QString::fromStdString(name), QStringLiteral("openFiles"));
        QCOMPARE(type, T_CALL);
        in.readStructBegin(unused);
        in.readFieldBegin(unused, fieldType, fieldId);
        QCOMPARE(fieldType, T_I64);
        QCOMPARE(fieldId, int16_t(1));
        in.readI64(window);
        QCOMPARE(window, int64_t(3));
        in.readFieldBegin(unused, fieldType, fieldId);
        QCOMPARE(fieldType, T_LIST);
        QCOMPARE(fieldId, int16_t(2));
        in.readListBegin(elementType, size);
        QCOMPARE(elementType, T_STRUCT);
        QCOMPARE(size, 0u);
        in.readFieldBegin(unused, fieldType, fieldId);
        QCOMPARE(fieldType, T_STOP);

        m_handler->lastFiles.push_back(FileItem());
        QVERIFY(makeProcessor(m_handler)->process(std::make_shared<TBinaryProtocol>(request),
                                                  std::make_shared<TBinaryProtocol>(std::make_shared<TMemoryBuffer>()),
                                                  nullptr));
        QCOMPARE(m_handler->lastMainWindowId, int64_t(3));
        QVERIFY(m_handler->lastFiles.empty());
    }

    void fileItemsRoundTrip()
    {
        serve();
        kvantaservicesClient client(std::make_shared<TBinaryProtocol>(m_clientEnd));
        const std::vector<FileItem> files{
            fileItem(1, "/home/u/Bericht \xc3\xbc.docx", true, {{"readOnly", "1"}, {"from", ""}}),
            fileItem(-2, "", false, {}),
        };

        client.openFiles(77, files);

        QCOMPARE(m_handler->lastMainWindowId, int64_t(77));
        QCOMPARE(m_handler->lastFiles.size(), files.size());
        QVERIFY(m_handler->lastFiles == files);
        QVERIFY(m_handler->lastFiles[0].__isset.extraParam);
    }

    void depthLimit_data()
    {
        QTest::addColumn<bool>("reading");
        QTest::addColumn<int>("limit");
        QTest::addColumn<bool>("exceeded");

        // The call's arguments are one level, a FileItem inside them a second.
        QTest::newRow("client writes, limit 1") << false << 1 << true;
        QTest::newRow("client writes, limit 2") << false << 2 << false;
        QTest::newRow("processor reads, limit 1") << true << 1 << true;
        QTest::newRow("processor reads, limit 2") << true << 2 << false;
    }

    void depthLimit()
    {
        QFETCH(bool, reading);
        QFETCH(int, limit);
        QFETCH(bool, exceeded);
        const std::vector<FileItem> files{fileItem(1, "a.docx", false, {{"k", "v"}})};

        auto request = std::make_shared<TMemoryBuffer>();
        auto writer = std::make_shared<TBinaryProtocol>(request);
        if (!reading)
            writer->setRecurisionLimit(static_cast<uint32_t>(limit));
        kvantaservicesClient client(std::make_shared<TBinaryProtocol>(std::make_shared<TMemoryBuffer>()), writer);
        auto reader = std::make_shared<TBinaryProtocol>(request);
        if (reading)
            reader->setRecurisionLimit(static_cast<uint32_t>(limit));
        auto processor = makeProcessor(m_handler);
        auto replies = std::make_shared<TBinaryProtocol>(std::make_shared<TMemoryBuffer>());

        try {
            client.send_recoverDocument(5, files);
            processor->process(reader, replies, nullptr);
            client.send_openFiles(6, files);
            processor->process(reader, replies, nullptr);
            QVERIFY2(!exceeded, "no depth limit raised");
        } catch (const TProtocolException& e) {
            QVERIFY2(exceeded, e.what());
            QCOMPARE(e.getType(), TProtocolException::DEPTH_LIMIT);
        }

        if (exceeded) {
            QCOMPARE(m_handler->lastMainWindowId, int64_t(0));
        } else {
            QCOMPARE(m_handler->lastMainWindowId, int64_t(6));
            QVERIFY(m_handler->lastFiles == files);
        }
    }

    void concurrentClientGetsItsOwnReplies()
    {
        // This shell answers each pair of calls in the reverse order, so a reply often
        // reaches the reading thread that did not make the call.
        auto processor = makeProcessor(m_handler);
        auto serverEnd = m_serverEnd;
        startServer([processor, serverEnd] {
            auto in = std::make_shared<TBinaryProtocol>(serverEnd);
            for (;;) {
                std::vector<std::string> replies;
                for (int i = 0; i < 2; ++i) {
                    auto reply = std::make_shared<TMemoryBuffer>();
                    processor->process(in, std::make_shared<TBinaryProtocol>(reply), nullptr);
                    replies.push_back(reply->getBufferAsString());
                }
                for (auto it = replies.rbegin(); it != replies.rend(); ++it)
                    serverEnd->write(reinterpret_cast<const uint8_t*>(it->data()), static_cast<uint32_t>(it->size()));
            }
        });
        kvantaservicesConcurrentClient client(std::make_shared<TBinaryProtocol>(m_clientEnd),
                                              std::make_shared<apache::thrift::async::TConcurrentClientSyncInfo>());

        QAtomicInt wrong;
        QAtomicInt failed;
        const auto caller = [&client, &wrong, &failed](int base) {
            for (int i = 0; i < 40; ++i) {
                try {
                    if (client.getCurrentVantaPageType(base + i) != -(base + i))
                        wrong.ref();
                } catch (const std::exception&) {
                    failed.ref();
                    return;
                }
            }
        };
        std::unique_ptr<QThread> first(QThread::create(caller, 1000));
        std::unique_ptr<QThread> second(QThread::create(caller, 2000));
        first->start();
        second->start();
        const bool finished = first->wait(30000) && second->wait(30000);
        if (!finished) {
            m_clientEnd->close();
            first->wait();
            second->wait();
        }

        QVERIFY(finished);
        QCOMPARE(failed.loadRelaxed(), 0);
        QCOMPARE(wrong.loadRelaxed(), 0);
    }

    void callbackClientCompletesThroughAnAsyncChannel()
    {
        kvantaservicesAsyncProcessorFactory factory(std::make_shared<kvantaservicesCobSvIfSingletonFactory>(
            std::make_shared<KTestKvantaCobHandler>(m_handler)));
        auto channel = std::make_shared<KTestAsyncChannel>(factory.getProcessor(TConnectionInfo()));
        TBinaryProtocolFactory protocols;
        kvantaservicesCobClient client(channel, &protocols);

        std::map<std::string, std::string> info;
        bool commandlineDone = false;
        QString failure;
        kvantaservicesCobClient* calledBack = nullptr;
        client.queryDocInfo(
            [&](kvantaservicesCobClient* c) {
                calledBack = c;
                try {
                    c->recv_queryDocInfo(info);
                    // The client is free again: the next call goes out from inside the callback.
                    c->transmitCommandline(
                        [&](kvantaservicesCobClient* c2) {
                            try {
                                c2->recv_transmitCommandline();
                                commandlineDone = true;
                            } catch (const std::exception& e) {
                                failure = e.what();
                            }
                        },
                        "--from-callback");
                } catch (const std::exception& e) {
                    failure = e.what();
                }
            },
            42);

        QCOMPARE(channel->messagesSent(), 1);
        QVERIFY(!calledBack); // nothing completes inside the sending call
        QTRY_VERIFY(commandlineDone || !failure.isEmpty());
        QCOMPARE(failure, QString());
        QCOMPARE(calledBack, &client);
        QCOMPARE(QString::fromStdString(render(info)), QString::fromUtf8("empty=;id=42;title=Bericht \xc3\xbc.docx"));
        QCOMPARE(QString::fromStdString(m_handler->lastCommandline), QStringLiteral("--from-callback"));
        QCOMPARE(channel->messagesSent(), 2);
        QVERIFY(channel->good());
    }

    void asyncProcessorAnswersAThrowingHandler_data()
    {
        QTest::addColumn<bool>("answerFirst");
        QTest::newRow("throws instead of answering") << false;
        QTest::newRow("throws after answering") << true;
    }

    // A handler's exception becomes the call's EXCEPTION reply of kind "unknown", and the next
    // call on the same input is served; a call already answered is not answered twice.
    void asyncProcessorAnswersAThrowingHandler()
    {
        QFETCH(bool, answerFirst);
        auto request = std::make_shared<TMemoryBuffer>();
        kvantaservicesClient sender(std::make_shared<TBinaryProtocol>(std::make_shared<TMemoryBuffer>()),
                                    std::make_shared<TBinaryProtocol>(request));
        sender.send_export2pdf(5, "/tmp/a.pdf");
        sender.send_activeSubWindow(7);
        const auto handler = std::make_shared<KThrowingCobHandler>(m_handler, answerFirst);

        if (!answerFirst) {
            // The generated processor lets the exception escape to whoever drives it.
            kvantaservicesAsyncProcessor generated(handler);
            QVERIFY_EXCEPTION_THROWN(generated.process([](bool) {}, std::make_shared<TBinaryProtocol>(copyOf(*request)),
                                                       std::make_shared<TBinaryProtocol>(std::make_shared<TMemoryBuffer>())),
                                     std::runtime_error);
        }

        KVantaServicesSafeAsyncProcessorFactory factory(std::make_shared<kvantaservicesCobSvIfSingletonFactory>(handler));
        const auto processor = factory.getProcessor(TConnectionInfo());
        auto reply = std::make_shared<TMemoryBuffer>();
        const auto in = std::make_shared<TBinaryProtocol>(request);
        const auto out = std::make_shared<TBinaryProtocol>(reply);
        QList<bool> outcomes;
        processor->process([&outcomes](bool ok) { outcomes.append(ok); }, in, out);
        processor->process([&outcomes](bool ok) { outcomes.append(ok); }, in, out);
        QCOMPARE(outcomes, (QList<bool>{true, true}));
        QCOMPARE(request->available_read(), 0u);

        kvantaservicesClient reader(std::make_shared<TBinaryProtocol>(reply));
        if (answerFirst) {
            QCOMPARE(reader.recv_export2pdf(), true);
        } else {
            try {
                reader.recv_export2pdf();
                QFAIL("the call succeeded");
            } catch (const TApplicationException& e) {
                QCOMPARE(e.getType(), TApplicationException::UNKNOWN);
                QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("cannot export document 5 to /tmp/a.pdf"));
            }
        }
        QCOMPARE(reader.recv_activeSubWindow(), true);
        QCOMPARE(reply->available_read(), 0u);
    }

    void asyncProcessorRejectsAMessageThatIsNotACall()
    {
        kvantaservicesAsyncProcessor processor(
            std::make_shared<KTestKvantaCobHandler>(m_handler));
        auto reply = std::make_shared<TMemoryBuffer>();
        g_thriftOutput.clear();
        apache::thrift::GlobalOutput.setOutputFunction(captureThriftOutput);
        int outcome = -1;
        processor.process([&outcome](bool ok) { outcome = ok; },
                          std::make_shared<TBinaryProtocol>(emptyResultReply("activeSubWindow")),
                          std::make_shared<TBinaryProtocol>(reply));
        apache::thrift::GlobalOutput.setOutputFunction(apache::thrift::TOutput::errorTimeWrapper);

        QCOMPARE(outcome, 0);
        QCOMPARE(QString::fromStdString(g_thriftOutput), QStringLiteral("received invalid message type 2 from client"));
        QCOMPARE(reply->available_read(), 0u);
    }

    void everyMethodIsServed_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<TType>("returns");
        for (const MethodShape& method : kMethods)
            QTest::newRow(method.name) << QString::fromLatin1(method.name) << method.returns;
    }

    void everyMethodIsServed()
    {
        QFETCH(QString, method);
        QFETCH(TType, returns);
        auto reply = std::make_shared<TMemoryBuffer>();
        auto processor = makeProcessor(std::make_shared<kvantaservicesNull>());
        QVERIFY(processor->process(std::make_shared<TBinaryProtocol>(callWithoutArguments(method.toStdString(), 5)),
                                   std::make_shared<TBinaryProtocol>(reply), nullptr));

        TBinaryProtocol in(reply);
        std::string name;
        TMessageType type;
        int32_t seqid = 0;
        std::string unused;
        TType fieldType;
        int16_t fieldId = -1;
        in.readMessageBegin(name, type, seqid);
        QCOMPARE(QString::fromStdString(name), method);
        QCOMPARE(type, T_REPLY);
        QCOMPARE(seqid, 5);
        in.readStructBegin(unused);
        in.readFieldBegin(unused, fieldType, fieldId);
        if (returns != T_VOID) {
            // A value travels as the result's field 0.
            QCOMPARE(fieldId, int16_t(0));
            QCOMPARE(fieldType, returns);
            in.skip(fieldType);
            in.readFieldEnd();
            in.readFieldBegin(unused, fieldType, fieldId);
        }
        QCOMPARE(fieldType, T_STOP);
    }

private:
    void startServer(std::function<void()> serve)
    {
        m_server.reset(QThread::create([this, serve] {
            try {
                serve();
            } catch (const TTransportException& e) {
                if (e.getType() != TTransportException::END_OF_FILE)
                    m_serverError = e.what();
            } catch (const std::exception& e) {
                m_serverError = e.what();
            }
        }));
        m_server->start();
    }

    // Serves the client end with the processor over the test handler until the pipe closes.
    void serve()
    {
        auto processor = makeProcessor(m_handler);
        auto protocol = std::make_shared<TBinaryProtocol>(m_serverEnd);
        startServer([processor, protocol] {
            while (processor->process(protocol, protocol, nullptr)) {
            }
        });
    }

    std::shared_ptr<KTestKvantaHandler> m_handler;
    std::shared_ptr<KTestPipeTransport> m_clientEnd;
    std::shared_ptr<KTestPipeTransport> m_serverEnd;
    std::unique_ptr<QThread> m_server;
    std::string m_serverError; // written by the server thread, read after it ended
};

KZEMBA_TEST_MAIN(TstKvantaServices)
#include "tst_kvantaservices.moc"
