#include "kxjspropertyinjector.h"

#include "jsonhelper.h"
#include "kxwebviewcontainer.h"

#include <utility>

KxJsPropertyInjector::KxJsPropertyInjector(KxWebViewContainer* container)
    : m_container(container)
{
}

bool KxJsPropertyInjector::injectProperty(const QString& key, const QString& keyValueText, const QString& objectName,
                                          const QString& frame, const QString& valueIsJson)
{
    const int separator = keyValueText.indexOf(QLatin1Char('='));
    if (key.isEmpty() || objectName.isEmpty() || separator < 0 || keyValueText.left(separator) != key
        || frame != QLatin1String("top")) {
        return false;
    }
    const QString valueText = keyValueText.mid(separator + 1);
    QVariant value = valueText;
    if (valueIsJson == QLatin1String("true")) {
        bool ok = false;
        const Json::Value parsed = JsonHelper::parseJsonValue(valueText, &ok);
        if (!ok)
            return false;
        value = JsonHelper::jsonValueToVariant(parsed);
    }
    m_pending[objectName].insert(key, value);
    return true;
}

void KxJsPropertyInjector::finish()
{
    const QHash<QString, QVariantMap> pending = std::exchange(m_pending, {});
    if (!m_container)
        return;
    for (auto it = pending.begin(); it != pending.end(); ++it)
        m_container->injectProperties(it.key(), it.value());
}
