#include "ktesthttprequest.h"

QString KTestHttpRequest::path() const
{
    const int mark = m_target.indexOf(QLatin1Char('?'));
    return mark < 0 ? m_target : m_target.left(mark);
}

QString KTestHttpRequest::query() const
{
    const int mark = m_target.indexOf(QLatin1Char('?'));
    return mark < 0 ? QString() : m_target.mid(mark + 1);
}

QByteArray KTestHttpRequest::header(const QByteArray& name) const
{
    for (const auto& header : m_headers) {
        if (qstricmp(header.first.constData(), name.constData()) == 0)
            return header.second;
    }
    return QByteArray();
}

bool KTestHttpRequest::hasHeader(const QByteArray& name) const
{
    for (const auto& header : m_headers) {
        if (qstricmp(header.first.constData(), name.constData()) == 0)
            return true;
    }
    return false;
}

QList<QByteArray> KTestHttpRequest::headerValues(const QByteArray& name) const
{
    QList<QByteArray> values;
    for (const auto& header : m_headers) {
        if (qstricmp(header.first.constData(), name.constData()) == 0)
            values.append(header.second);
    }
    return values;
}

QList<QNetworkCookie> KTestHttpRequest::cookies() const
{
    // A Cookie header is "name=value" pairs separated by semicolons; values are kept as sent.
    QList<QNetworkCookie> cookies;
    for (const QByteArray& line : headerValues("Cookie")) {
        for (const QByteArray& part : line.split(';')) {
            const QByteArray pair = part.trimmed();
            if (pair.isEmpty())
                continue;
            const int equals = pair.indexOf('=');
            if (equals < 0)
                cookies.append(QNetworkCookie(QByteArray(), pair));
            else
                cookies.append(QNetworkCookie(pair.left(equals).trimmed(), pair.mid(equals + 1).trimmed()));
        }
    }
    return cookies;
}

QByteArray KTestHttpRequest::cookie(const QByteArray& name) const
{
    for (const QNetworkCookie& cookie : cookies()) {
        if (cookie.name() == name)
            return cookie.value();
    }
    return QByteArray();
}

bool KTestHttpRequest::hasCookie(const QByteArray& name) const
{
    for (const QNetworkCookie& cookie : cookies()) {
        if (cookie.name() == name)
            return true;
    }
    return false;
}

void KTestHttpRequest::setRequestLine(const QByteArray& method, const QByteArray& target, const QByteArray& version)
{
    m_method = method;
    m_target = QString::fromLatin1(target);
    m_version = version;
}

void KTestHttpRequest::addHeader(const QByteArray& name, const QByteArray& value)
{
    m_headers.append({name, value});
}

void KTestHttpRequest::appendBody(const QByteArray& data)
{
    m_body.append(data);
}
