#include "apprunstatus.h"

namespace kzemba {

const QMap<int, QString>& AppRunStatus::texts()
{
    static const QMap<int, QString> table{
        {0, QStringLiteral("failed, app object is null")},
        {1, QStringLiteral("failed, app runner is null")},
        {2, QStringLiteral("failed, app manager is null")},
        {3, QStringLiteral("failed, app center app runner is null")},
        {4, QStringLiteral("failed, app center module is null")},
        {5, QStringLiteral("failed, appId is empty")},
        {6, QStringLiteral("failed, params is valid")},
        {7, QStringLiteral("failed, load cef failed or user cancel the operation")},
        {8, QStringLiteral("failed, cannot use app store")},
        {9, QStringLiteral("failed, have no pending task")},
        {10, QStringLiteral("failed, there are pending tasks")},
        {11, QStringLiteral("failed, callchain runner is null")},
        {12, QStringLiteral("failed, need login")},
        {13, QStringLiteral("failed, launcher was not found")},
        {14, QStringLiteral("failed, authenticate fail")},
        {15, QStringLiteral("failed, entry object is null")},
        {16, QStringLiteral("failed, pre-running environment check failed")},
        {17, QStringLiteral("failed, task is null")},
        {18, QStringLiteral("failed, plugin manager is null")},
        {19, QStringLiteral("failed, load app object failed")},
        {20, QStringLiteral("failed, cancel load app object")},
        {21, QStringLiteral("failed, app object is loading")},
        {22, QStringLiteral("failed, load plugin failed")},
        {23, QStringLiteral("failed, app store main window is null")},
        {24, QStringLiteral("failed, app store proxy is null")},
        {25, QStringLiteral("failed, target command is null")},
        {26, QStringLiteral("failed, main window is null")},
        {27, QStringLiteral("failed, launch mode is silent")},
        {28, QStringLiteral("failed, app center delegate is null")},
        {29, QStringLiteral("failed, zemba core implement is null")},
        {30, QStringLiteral("failed, command object is null")},
        {31, QStringLiteral("failed, child process or client is null")},
        {32, QStringLiteral("failed, zemba core manager is null")},
        {33, QStringLiteral("failed, app load window is null")},
        {34, QStringLiteral("failed, file is null")},
        {35, QStringLiteral("failed, search app handler is null")},
        {36, QStringLiteral("failed, framework dll is null")},
        {37, QStringLiteral("failed, load open app manager dll failed")},
        {38, QStringLiteral("failed, app entry object is null")},
        {39, QStringLiteral("failed, start process failed")},
        {40, QStringLiteral("failed, invoke method failed")},
        {41, QStringLiteral("failed, launch app failed")},
        {42, QStringLiteral("failed, no exe")},
        {43, QStringLiteral("failed, plugin path is invalid")},
        {44, QStringLiteral("failed, launch widget is null")},
        {45, QStringLiteral("failed, host window is null")},
        {46, QStringLiteral("failed, content area is null")},
        {47, QStringLiteral("failed, launch end")},
        {48, QStringLiteral("failed, launch app timeout")},
        {49, QStringLiteral("failed, no clientWidget")},
        {1000, QStringLiteral("success, start load app object")},
        {1001, QStringLiteral("success, start run app object")},
        {1002, QStringLiteral("success, app runner start run app")},
        {1003, QStringLiteral("success, load app object success")},
        {1004, QStringLiteral("success, launch end")},
        {1005, QStringLiteral("success, is ai preview mode")},
        {1006, QStringLiteral("success, start function operation")},
        {1007, QStringLiteral("success, function operation end")},
        {1008, QStringLiteral("success, start prepare")},
        {1009, QStringLiteral("success, prepare end")},
    };
    return table;
}

QString AppRunStatus::text(int code)
{
    return texts().value(code, QStringLiteral("failed"));
}

} // namespace kzemba
