#ifndef KZEMBA_TESTS_KTESTDOCUMENTS_H
#define KZEMBA_TESTS_KTESTDOCUMENTS_H

#include "ktestzip.h"

#include <QStringList>

/// Small office documents built by the tests, and readers that take the custom
/// properties back out of a document's XML.
class KTestDocuments
{
public:
    // "docx": a word-processing package without custom properties; "docx+custom": one with
    // three properties of different types; "custom-elsewhere": one whose custom part has its
    // own prefixes and lives at a non-default path; "odt": a text document without metadata;
    // "odt+meta": one with metadata and two user-defined fields.
    static QList<KTestZipEntry> package(const QString& kind);

    // Parses `xml` completely; false with the reason when it is not well-formed.
    static bool isWellFormed(const QByteArray& xml, QString* error);
    // The properties of a custom-properties part as "pid|name|type|value", in document order.
    static QStringList ooxmlProperties(const QByteArray& xml, QString* error);
    // The user-defined fields of a metadata part as "name|type|value", in document order.
    static QStringList odfProperties(const QByteArray& xml, QString* error);
    // How often an element `name` of `namespaceUri` carries `attribute` = `value`.
    static int countElements(const QByteArray& xml, const QString& namespaceUri, const QString& name,
                             const QString& attribute, const QString& value);

    static const char kCustomPropertiesNs[];
    static const char kVariantTypesNs[];
    static const char kMetaNs[];
    static const char kUserDefinedFmtid[];
};

#endif
