#include "kxmlpartcopier.h"

#include <QSet>

namespace kzemba {

KXmlPartCopier::KXmlPartCopier(const QByteArray& xml)
    : m_reader(xml)
    , m_writer(&m_output)
{
}

QString KXmlPartCopier::partError(const QString& part, const QString& error)
{
    return QStringLiteral("%1: %2").arg(part, error);
}

bool KXmlPartCopier::isXmlText(const QString& text)
{
    for (int i = 0; i < text.size(); ++i) {
        const ushort c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 < text.size() && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
                ++i;
                continue;
            }
            return false;
        }
        if (c == 0x9 || c == 0xA || c == 0xD)
            continue;
        if (c < 0x20 || QChar::isLowSurrogate(c) || c == 0xFFFE || c == 0xFFFF)
            return false;
    }
    return true;
}

bool KXmlPartCopier::readNext()
{
    // An end element still counts at its own depth; its level closes with the next token.
    if (m_reader.isEndElement())
        --m_depth;
    switch (m_reader.readNext()) {
    case QXmlStreamReader::StartElement:
        ++m_depth;
        return true;
    case QXmlStreamReader::DTD:
        m_error = QStringLiteral("line %1: document type declarations are not allowed").arg(m_reader.lineNumber());
        return false;
    case QXmlStreamReader::EntityReference:
        m_error =
            QStringLiteral("line %1: unknown entity %2").arg(m_reader.lineNumber()).arg(m_reader.name().toString());
        return false;
    case QXmlStreamReader::EndDocument:
    case QXmlStreamReader::Invalid:
        return false;
    default:
        return true;
    }
}

bool KXmlPartCopier::isElement(QXmlStreamReader::TokenType type, const QString& namespaceUri, const QString& name) const
{
    return m_reader.tokenType() == type && m_reader.namespaceUri() == namespaceUri && m_reader.name() == name;
}

void KXmlPartCopier::copyCurrent()
{
    switch (m_reader.tokenType()) {
    case QXmlStreamReader::StartDocument: {
        const QString version =
            m_reader.documentVersion().isEmpty() ? QStringLiteral("1.0") : m_reader.documentVersion().toString();
        if (m_reader.isStandaloneDocument())
            m_writer.writeStartDocument(version, true);
        else
            m_writer.writeStartDocument(version);
        break;
    }
    case QXmlStreamReader::StartElement: {
        // Written by qualified name, so the document keeps its own prefixes.
        m_writer.writeStartElement(m_reader.qualifiedName().toString());
        m_scopes.append(QXmlStreamNamespaceDeclarations());
        const QXmlStreamNamespaceDeclarations declarations = m_reader.namespaceDeclarations();
        for (const QXmlStreamNamespaceDeclaration& declaration : declarations)
            declare(declaration.prefix().toString(), declaration.namespaceUri().toString());
        const QXmlStreamAttributes attributes = m_reader.attributes();
        for (const QXmlStreamAttribute& attribute : attributes)
            m_writer.writeAttribute(attribute.qualifiedName().toString(), attribute.value().toString());
        break;
    }
    case QXmlStreamReader::EndElement:
        writeEndElement();
        break;
    case QXmlStreamReader::Characters:
        if (m_reader.isCDATA())
            m_writer.writeCDATA(m_reader.text().toString());
        else
            m_writer.writeCharacters(m_reader.text().toString());
        break;
    case QXmlStreamReader::Comment:
        m_writer.writeComment(m_reader.text().toString());
        break;
    case QXmlStreamReader::ProcessingInstruction:
        m_writer.writeProcessingInstruction(m_reader.processingInstructionTarget().toString(),
                                            m_reader.processingInstructionData().toString());
        break;
    default:
        break;
    }
}

void KXmlPartCopier::skipCurrentElement()
{
    m_reader.skipCurrentElement();
}

bool KXmlPartCopier::isBound(const QString& prefix) const
{
    for (const QXmlStreamNamespaceDeclarations& scope : m_scopes) {
        for (const QXmlStreamNamespaceDeclaration& declaration : scope) {
            if (declaration.prefix() == prefix)
                return true;
        }
    }
    return false;
}

bool KXmlPartCopier::prefixFor(const QString& namespaceUri, bool forAttribute, QString* prefix) const
{
    // The innermost declaration of a prefix hides the outer ones.
    QSet<QString> hidden;
    for (auto scope = m_scopes.crbegin(); scope != m_scopes.crend(); ++scope) {
        for (const QXmlStreamNamespaceDeclaration& declaration : *scope) {
            const QString candidate = declaration.prefix().toString();
            if (hidden.contains(candidate))
                continue;
            hidden.insert(candidate);
            if (declaration.namespaceUri() == namespaceUri && !(forAttribute && candidate.isEmpty())) {
                *prefix = candidate;
                return true;
            }
        }
    }
    return false;
}

void KXmlPartCopier::declare(const QString& prefix, const QString& namespaceUri)
{
    m_writer.writeAttribute(prefix.isEmpty() ? QStringLiteral("xmlns") : QStringLiteral("xmlns:") + prefix,
                            namespaceUri);
    m_scopes.last().append(QXmlStreamNamespaceDeclaration(prefix, namespaceUri));
}

void KXmlPartCopier::writeStartElement(const QString& namespaceUri, const QString& prefix, const QString& name)
{
    // An element that declares its namespace itself may use any prefix.
    QString used = prefix;
    const bool inScope = prefixFor(namespaceUri, false, &used);
    m_writer.writeStartElement(used.isEmpty() ? name : used + QLatin1Char(':') + name);
    m_scopes.append(QXmlStreamNamespaceDeclarations());
    if (!inScope)
        declare(used, namespaceUri);
}

void KXmlPartCopier::writeAttribute(const QString& namespaceUri, const QString& prefix, const QString& name,
                                    const QString& value)
{
    QString used;
    if (!namespaceUri.isEmpty() && !prefixFor(namespaceUri, true, &used)) {
        // An attribute's prefix must not change what the element's own prefix means, so one
        // that is bound already gets a number.
        const QString base = prefix.isEmpty() ? QStringLiteral("ns") : prefix;
        used = base;
        for (int n = 1; isBound(used); ++n)
            used = base + QString::number(n);
        declare(used, namespaceUri);
    }
    m_writer.writeAttribute(used.isEmpty() ? name : used + QLatin1Char(':') + name, value);
}

void KXmlPartCopier::writeCharacters(const QString& text)
{
    // A bare carriage return would come back as a line feed; a character reference keeps it.
    const QStringList pieces = text.split(QLatin1Char('\r'));
    for (int i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            m_writer.writeEntityReference(QStringLiteral("#13"));
        if (!pieces.at(i).isEmpty())
            m_writer.writeCharacters(pieces.at(i));
    }
}

void KXmlPartCopier::writeEndElement()
{
    m_writer.writeEndElement();
    if (!m_scopes.isEmpty())
        m_scopes.removeLast();
}

bool KXmlPartCopier::finish(QByteArray* xml, QString* error)
{
    if (m_error.isEmpty() && m_reader.hasError()) {
        m_error = QStringLiteral("line %1, column %2: %3")
                      .arg(m_reader.lineNumber())
                      .arg(m_reader.columnNumber())
                      .arg(m_reader.errorString());
    }
    if (m_error.isEmpty() && m_writer.hasError())
        m_error = QStringLiteral("the text cannot be written as XML");
    if (!m_error.isEmpty()) {
        *error = m_error;
        return false;
    }
    *xml = m_output;
    return true;
}

} // namespace kzemba
