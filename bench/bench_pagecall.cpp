// A page calling a JS API method by name, against the bare way of doing the same in Qt:
// QJsonDocument reads the argument text, QMetaObject::invokeMethod calls the method,
// QJsonDocument writes the answer. Both methods read the same two arguments and answer alike.
// Rows, chosen by the first argument: "small" (a few short arguments) and "large" (the same
// with a 100 KB and a 1 MB text argument). Time per call, lower is better.
#include "kbenchsupport.h"

#include <vdllite/jsonhelper.h>
#include <vdllite/kxcommonjsapi.h>
#include <vdllite/kxwebviewcontainer.h>
#include <vdllite/kxwebviewjscontext.h>

#include <QApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaObject>

namespace {

class KBenchJsApi : public vdllite::KxCommonJsApi
{
    Q_OBJECT
public:
    using vdllite::KxCommonJsApi::KxCommonJsApi;
    QWidget* widgetParent() override { return nullptr; }

public slots:
    void pair(KxWebViewJSContext& context)
    {
        const QVariantMap args = parseContextArgs(context);
        setResult(context, QVariantMap{{QStringLiteral("name"), args.value(QStringLiteral("name"))},
                                       {QStringLiteral("size"), args.value(QStringLiteral("data")).toString().size()}});
    }
};

class KBenchBareApi : public QObject
{
    Q_OBJECT
public:
    Q_INVOKABLE QJsonObject pair(const QJsonObject& args)
    {
        return QJsonObject{{QStringLiteral("name"), args.value(QStringLiteral("name"))},
                           {QStringLiteral("size"), args.value(QStringLiteral("data")).toString().size()}};
    }
};

QString argumentsWith(int dataSize)
{
    QJsonObject args{{QStringLiteral("name"), QStringLiteral("template-1042")},
                     {QStringLiteral("count"), 12},
                     {QStringLiteral("tags"), QStringLiteral("doc,sheet")},
                     {QStringLiteral("callback"), QStringLiteral("onPair")},
                     {QStringLiteral("data"), QString(dataSize, QLatin1Char('d'))}};
    return QString::fromUtf8(QJsonDocument(args).toJson(QJsonDocument::Compact));
}

struct Sides
{
    KxWebViewContainer* container;
    KBenchBareApi* bare;
};

// Median microseconds per call of both sides; the answers must agree.
bool measure(const Sides& sides, const QString& name, int dataSize, int calls, int runs)
{
    const QString text = argumentsWith(dataSize);
    QString ours;
    QString bare;
    const kbench::Medians ms = kbench::sideBySide(
        runs,
        [&] {
            for (int i = 0; i < calls; ++i)
                ours = JsonHelper::jsonValueToString(sides.container->invokeJsApi(QStringLiteral("pair"), text).result);
        },
        [&] {
            for (int i = 0; i < calls; ++i) {
                const QJsonObject args = QJsonDocument::fromJson(text.toUtf8()).object();
                QJsonObject result;
                QMetaObject::invokeMethod(sides.bare, "pair", Qt::DirectConnection, Q_RETURN_ARG(QJsonObject, result),
                                          Q_ARG(QJsonObject, args));
                bare = QString::fromUtf8(QJsonDocument(result).toJson(QJsonDocument::Compact));
            }
        });
    kbench::row(name, ms.ours * 1000 / calls, ms.bare * 1000 / calls, ms.ours / ms.bare);
    const QJsonObject oursAnswer = QJsonDocument::fromJson(ours.toUtf8()).object();
    if (oursAnswer != QJsonDocument::fromJson(bare.toUtf8()).object()) {
        kbench::out() << "answers differ: " << ours << " / " << bare << '\n';
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const kbench::Runtime runtime;
    const bool quick = kbench::quick();
    const QStringList args = app.arguments();

    KxWebViewContainer container;
    auto* api = new KBenchJsApi(&container);
    container.setJsApiObject(api);
    KBenchBareApi bare;
    const Sides sides{&container, &bare};

    const int runs = quick ? 3 : 9;
    bool same = true;
    if (args.contains(QStringLiteral("small"))) {
        kbench::header(QStringLiteral("page call by name, small arguments, against invokeMethod and QJsonDocument"),
                       QStringLiteral("page call"), QStringLiteral("bare"), QStringLiteral("us/call"));
        same = measure(sides, QStringLiteral("5 short arguments"), 8, quick ? 200 : 2000, runs);
    } else if (args.contains(QStringLiteral("large"))) {
        kbench::header(QStringLiteral("page call by name, large arguments, against invokeMethod and QJsonDocument"),
                       QStringLiteral("page call"), QStringLiteral("bare"), QStringLiteral("us/call"));
        same = measure(sides, QStringLiteral("100 KB argument"), 100 * 1000, quick ? 5 : 50, runs)
            && measure(sides, QStringLiteral("1 MB argument"), 1000 * 1000, quick ? 2 : 10, runs);
    } else {
        kbench::out() << "usage: bench_pagecall small|large [--quick]\n";
        return 2;
    }
    return same ? 0 : 1;
}

#include "bench_pagecall.moc"
