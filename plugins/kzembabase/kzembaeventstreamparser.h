#ifndef KZEMBA_PLUGINS_KZEMBAEVENTSTREAMPARSER_H
#define KZEMBA_PLUGINS_KZEMBAEVENTSTREAMPARSER_H

#include <QByteArray>
#include <QString>
#include <QVector>

/// Splits a text/event-stream body into events by the WHATWG rules: lines end
/// with CRLF, LF or CR (also when the CR and LF arrive in different chunks);
/// "event", "data", "id" and "retry" fields; comments; multi-line data joined
/// with LF; a blank line dispatches; a leading BOM is skipped; an unfinished
/// event at the end of the stream is dropped. Each byte is looked at a bounded
/// number of times, so the cost is linear in the stream's length however it is
/// chunked. Events are collected and taken with takeEvents(), so that whoever
/// delivers them may destroy the parser in a handler.
class KZembaEventStreamParser
{
public:
    struct Event
    {
        QString type; // "message" unless an "event" field named it
        QString id;   // the last event id, which carries over to later events
        QString data;
    };

    // `maxBufferedBytes` bounds an unfinished line plus an unfinished event's data.
    explicit KZembaEventStreamParser(qsizetype maxBufferedBytes = qsizetype(256) * 1024 * 1024);

    // False once the buffered bytes went over the limit; the parser then ignores its input.
    bool feed(const char* data, qsizetype size);
    bool feed(const QByteArray& bytes) { return feed(bytes.constData(), bytes.size()); }
    bool overflowed() const { return m_overflow; }

    QVector<Event> takeEvents();
    bool hasEvents() const { return !m_events.isEmpty(); }
    // The reconnection time of the last valid "retry" field; -1 when none came.
    qint64 retry() const { return m_retry; }

private:
    void processLine(const char* line, qsizetype size);
    void dispatch();

    const qsizetype m_maxBuffered;
    QByteArray m_line; // a line whose end has not arrived yet
    bool m_skipLf = false;
    bool m_firstLine = true;
    bool m_overflow = false;
    QByteArray m_data;
    QByteArray m_type;
    QByteArray m_lastId;
    qint64 m_retry = -1;
    QVector<Event> m_events;
};

#endif
