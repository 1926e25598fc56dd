#ifndef KZEMBA_NETWORK_KHTTPACCESSSSEVENTSACCESS_H
#define KZEMBA_NETWORK_KHTTPACCESSSSEVENTSACCESS_H

#include "kzembajsapilite_export.h"

#include "network/kzembacommonhttpaccess.h"

#include <QStringList>

/// A request whose answer is an event stream. Each "data:" line of the stream
/// becomes one event text (the rest of the line, line end included), appended to
/// the caller's queue and announced with ssEvent() as soon as its line end has
/// arrived. Other lines are skipped; lines of one event are not joined.
class KZEMBAJSAPILITE_EXPORT KHttpAccessSSEventsAccess : public KZembaCommonHttpAccess
{
    Q_OBJECT
public:
    // `events` must outlive this object.
    KHttpAccessSSEventsAccess(QStringList& events, QNetworkReply* reply, const QString& callback, const QString& type,
                              int timeout);
    ~KHttpAccessSSEventsAccess() override;

signals:
    void ssEvent(const QStringList& events);

public slots:
    void onSSEEvent();

protected:
    QByteArray takeBody() override;

private:
    QStringList* m_events;
    // What has arrived but is not yet a whole line: an unterminated line is looked at
    // once per arrival, only in its new bytes, and stays part of the body at the end.
    QByteArray m_pending;
};

#endif
