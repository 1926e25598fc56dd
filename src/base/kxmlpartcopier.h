#ifndef KZEMBA_BASE_KXMLPARTCOPIER_H
#define KZEMBA_BASE_KXMLPARTCOPIER_H

#include <QByteArray>
#include <QString>
#include <QVector>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace kzemba {

/// Copies an XML document token by token so that an edit changes only what it
/// means to: prefixes, namespace declarations, comments and white space stay as
/// they were. The caller reads each token, then copies it, skips its element or
/// writes elements of its own, which get the prefixes in scope (or declare their
/// namespace themselves). The output is UTF-8. Documents with a DTD are refused:
/// package parts never carry one.
class KXmlPartCopier
{
public:
    explicit KXmlPartCopier(const QByteArray& xml);
    KXmlPartCopier(const KXmlPartCopier&) = delete;
    KXmlPartCopier& operator=(const KXmlPartCopier&) = delete;

    // Whether every character of `text` may appear in an XML 1.0 document.
    static bool isXmlText(const QString& text);
    // A failure text that names the package part it happened in.
    static QString partError(const QString& part, const QString& error);

    // Reads the next token; false at the end of the document or on an error.
    bool readNext();
    const QXmlStreamReader& reader() const { return m_reader; }
    // Depth of the current element: 1 for the root (its start and its end).
    int depth() const { return m_depth; }
    bool isElement(QXmlStreamReader::TokenType type, const QString& namespaceUri, const QString& name) const;

    void copyCurrent();
    // Drops the current start element together with its content and end.
    void skipCurrentElement();

    // Writes an element of `namespaceUri`; `prefix` is used when the namespace must be declared.
    void writeStartElement(const QString& namespaceUri, const QString& prefix, const QString& name);
    // Writes an attribute of the element just started; an empty `namespaceUri` means none.
    void writeAttribute(const QString& namespaceUri, const QString& prefix, const QString& name, const QString& value);
    void writeCharacters(const QString& text);
    void writeEndElement();

    // The copied document, or false with the reason when the input or output was not sound.
    bool finish(QByteArray* xml, QString* error);

private:
    // Finds the prefix bound to `namespaceUri` in the current scope (attributes need a
    // non-empty one).
    bool prefixFor(const QString& namespaceUri, bool forAttribute, QString* prefix) const;
    bool isBound(const QString& prefix) const;
    // Declares `prefix` for `namespaceUri` on the element just started.
    void declare(const QString& prefix, const QString& namespaceUri);

    QXmlStreamReader m_reader;
    QByteArray m_output;
    QXmlStreamWriter m_writer;
    // The namespace declarations of every open output element, innermost last.
    QVector<QXmlStreamNamespaceDeclarations> m_scopes;
    int m_depth = 0;
    QString m_error;
};

} // namespace kzemba

#endif
