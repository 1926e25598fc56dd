#include "ktestapplication.h"

#include <krt/kruntimeconfig.h>

#include <QTemporaryDir>
#include <QtTest>

KTestApplication::KTestApplication(int& argc, char** argv)
    : KCoreApplication(argc, argv)
    , m_userInfo(new KTestUserInfoSource(this))
{
}

KTestApplication::~KTestApplication() = default;

QObject* KTestApplication::userInfoSource() const
{
    return m_userInfo;
}

int kzembaRunTests(int argc, char** argv, QObject* testObject)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Whatever a test forgets to point elsewhere lands in this folder, not in the home.
    QTemporaryDir fallback(QDir::tempPath() + QStringLiteral("/kzemba-run-XXXXXX"));
    qputenv(krt::KRuntimeConfig::environmentVariable(), fallback.path().toLocal8Bit());
    QStandardPaths::setTestModeEnabled(true);
    KTestApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    return QTest::qExec(testObject, argc, argv);
}
