// An installation that does not report app launches: the switch is decided
// once, from the settings the process sees first, and later changes of the
// settings do not turn it on.
#include "ktestapplication.h"
#include "ktestcommonjsapi.h"
#include "ktestpagehost.h"
#include "ktestruntime.h"

#include "util/kzembaapprunmonitor.h"
#include "util/kzembacommonutilhandler.h"

#include <krt/kpluginssettings.h>

#include <QtTest>

#include <memory>

class TstAppRunReportOff : public QObject
{
    Q_OBJECT

private slots:
    void noEventsWhileReportingIsOff()
    {
        KTestRuntime runtime;
        runtime.setValue("identity/uuid", "user-0005");
        runtime.setValue("appMgr/apps", QStringList{"app1"});
        KTestPageHost host;
        auto* api = host.installApi<KTestCommonJsApi>();
        api->setHandler("common.util", new KZembaCommonUtilHandler(api, api));

        QCOMPARE(host.page()->call("common.util.openApp", {{"appId", "app1"}}).toObject().value("errormsg").toString(),
                 QStringLiteral("src can not be empty."));
        QVERIFY(!kzemba::KZembaAppRunMonitor::isAppRunReportEnabled());

        // Asking for reports now changes nothing in this process.
        krt::KPluginsSettings settings;
        settings.setValue("kappmgr/isNeedReport", true);
        settings.sync();
        QVERIFY(kzemba::KZembaAppRunMonitor::readAppRunReportSetting());
        QCOMPARE(host.page()->call("common.util.openApp", {{"appId", "app1"}, {"src", "store"}})
                     .toObject().value("result").toObject().value("status").toString(),
                 QStringLiteral("true"));
        QVERIFY(!kzemba::KZembaAppRunMonitor::isAppRunReportEnabled());
        QVERIFY(runtime.dcEvents().isEmpty());
    }
};

KZEMBA_TEST_MAIN(TstAppRunReportOff)
#include "tst_apprunreportoff.moc"
