#include "khttpaccesssseventsaccess.h"

#include <cstring>

KHttpAccessSSEventsAccess::KHttpAccessSSEventsAccess(QStringList& events, QNetworkReply* reply,
                                                     const QString& callback, const QString& type, int timeout)
    : KZembaCommonHttpAccess(reply, callback, type, timeout)
    , m_events(&events)
{
    // Reserved, the buffer is kept when a piece ends on a line end and it empties.
    m_pending.reserve(16 * 1024);
    if (reply)
        connect(reply, &QNetworkReply::readyRead, this, &KHttpAccessSSEventsAccess::onSSEEvent);
}

KHttpAccessSSEventsAccess::~KHttpAccessSSEventsAccess() = default;

void KHttpAccessSSEventsAccess::onSSEEvent()
{
    auto* reply = qobject_cast<QNetworkReply*>(sender());
    if (!reply || isNotified())
        return;

    // The line being received counts against the body limit as if it were still in the reply.
    const qint64 available = reply->bytesAvailable();
    if (m_pending.size() + available > maxBodyBytes()) {
        m_pending.clear();
        failBodyTooLarge();
        return;
    }
    if (available <= 0)
        return;
    const int scanFrom = m_pending.size();
    m_pending.resize(scanFrom + static_cast<int>(available));
    const qint64 got = reply->read(m_pending.data() + scanFrom, available);
    m_pending.resize(scanFrom + static_cast<int>(qMax<qint64>(got, 0)));

    // Only the new bytes can end the pending line.
    const char* const begin = m_pending.constData();
    const char* const end = begin + m_pending.size();
    const char* line = begin;
    const char* eol = static_cast<const char*>(std::memchr(begin + scanFrom, '\n', size_t(end - begin - scanFrom)));
    QStringList fresh;
    while (eol) {
        const char* const next = eol + 1;
        if (next - line >= 5 && std::memcmp(line, "data:", 5) == 0) {
            const char* const value = line + 5;
            const char* const nul = static_cast<const char*>(std::memchr(value, '\0', size_t(next - value)));
            fresh.append(QString::fromLatin1(value, int((nul ? nul : next) - value)));
        }
        line = next;
        eol = static_cast<const char*>(std::memchr(line, '\n', size_t(end - line)));
    }
    // The pending buffer keeps its capacity: the unterminated rest moves to its front.
    m_pending.remove(0, int(line - begin));
    if (fresh.isEmpty())
        return;
    m_events->append(fresh);
    emit ssEvent(fresh);
}

QByteArray KHttpAccessSSEventsAccess::takeBody()
{
    QByteArray body = KZembaCommonHttpAccess::takeBody();
    if (!m_pending.isEmpty())
        body.prepend(m_pending);
    m_pending = QByteArray();
    return body;
}
