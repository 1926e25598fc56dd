#include "khttpaccesssseventsaccess.h"

KHttpAccessSSEventsAccess::KHttpAccessSSEventsAccess(QStringList& events, QNetworkReply* reply,
                                                     const QString& callback, const QString& type, int timeout)
    : KZembaCommonHttpAccess(reply, callback, type, timeout)
    , m_events(&events)
{
    if (reply)
        connect(reply, &QNetworkReply::readyRead, this, &KHttpAccessSSEventsAccess::onSSEEvent);
}

KHttpAccessSSEventsAccess::~KHttpAccessSSEventsAccess() = default;

void KHttpAccessSSEventsAccess::onSSEEvent()
{
    auto* reply = qobject_cast<QNetworkReply*>(sender());
    if (!reply)
        return;

    QStringList fresh;
    // A line without its end stays in the reply until the next readyRead.
    while (reply->canReadLine()) {
        const QByteArray line = reply->readLine();
        if (!line.startsWith("data:"))
            continue;
        const QByteArray value = line.mid(5);
        const int nul = value.indexOf('\0');
        fresh.append(QString::fromLatin1(nul < 0 ? value : value.left(nul)));
    }
    if (fresh.isEmpty())
        return;
    m_events->append(fresh);
    emit ssEvent(fresh);
}
