#include "ktestdocuments.h"

#include <QXmlStreamReader>

const char KTestDocuments::kCustomPropertiesNs[] =
    "http://schemas.openxmlformats.org/officeDocument/2006/custom-properties";
const char KTestDocuments::kVariantTypesNs[] = "http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes";
const char KTestDocuments::kMetaNs[] = "urn:oasis:names:tc:opendocument:xmlns:meta:1.0";
const char KTestDocuments::kUserDefinedFmtid[] = "{D5CDD505-2E9C-101B-9397-08002B2CF9AE}";

namespace {

const QByteArray kXmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

QByteArray contentTypes(const QByteArray& overrides)
{
    return kXmlDeclaration
        + "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
          "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
          "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
          "<Override PartName=\"/word/document.xml\" "
          "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
        + overrides + "</Types>";
}

QByteArray relationships(const QByteArray& more)
{
    return kXmlDeclaration
        + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">\n"
          "  <Relationship Id=\"rId1\" "
          "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
          "Target=\"word/document.xml\"/>\n"
        + more + "</Relationships>\n";
}

QByteArray customOverride(const QByteArray& part)
{
    return "<Override PartName=\"" + part
        + "\" ContentType=\"application/vnd.openxmlformats-officedocument.custom-properties+xml\"/>";
}

QByteArray customRelationship(const QByteArray& target)
{
    return "  <Relationship Id=\"rId2\" "
           "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/custom-properties\" "
           "Target=\""
        + target + "\"/>\n";
}

const QByteArray kWordDocument = kXmlDeclaration
    + "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
      "<w:body><w:p><w:r><w:t>Hello</w:t></w:r></w:p></w:body></w:document>";

const QByteArray kCustomProperties = kXmlDeclaration
    + "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/custom-properties\" "
      "xmlns:vt=\"http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes\">\n"
      "  <property fmtid=\"{D5CDD505-2E9C-101B-9397-08002B2CF9AE}\" pid=\"2\" name=\"Source\">"
      "<vt:lpwstr>old</vt:lpwstr></property>\n"
      "  <property fmtid=\"{D5CDD505-2E9C-101B-9397-08002B2CF9AE}\" pid=\"3\" name=\"Count\">"
      "<vt:i4>7</vt:i4></property>\n"
      "  <!-- kept as it is -->\n"
      "  <property fmtid=\"{D5CDD505-2E9C-101B-9397-08002B2CF9AE}\" pid=\"5\" name=\"Flag\">"
      "<vt:bool>true</vt:bool></property>\n"
      "</Properties>\n";

// Own prefixes, no default namespace.
const QByteArray kPrefixedCustomProperties = kXmlDeclaration
    + "<cp:Properties xmlns:cp=\"http://schemas.openxmlformats.org/officeDocument/2006/custom-properties\" "
      "xmlns:v=\"http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes\">"
      "<cp:property fmtid=\"{D5CDD505-2E9C-101B-9397-08002B2CF9AE}\" pid=\"2\" name=\"Kept\">"
      "<v:lpwstr>k</v:lpwstr></cp:property></cp:Properties>";

const QByteArray kOdfMimetype = "application/vnd.oasis.opendocument.text";

const QByteArray kOdfContent =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
    "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" office:version=\"1.2\">"
    "<office:body><office:text><text:p>Hello</text:p></office:text></office:body></office:document-content>";

QByteArray odfManifest(const QByteArray& more)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
           "manifest:version=\"1.2\">\n"
           " <manifest:file-entry manifest:full-path=\"/\" manifest:version=\"1.2\" "
           "manifest:media-type=\"application/vnd.oasis.opendocument.text\"/>\n"
           " <manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>\n"
        + more + "</manifest:manifest>\n";
}

const QByteArray kOdfMeta =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<office:document-meta xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
    "xmlns:meta=\"urn:oasis:names:tc:opendocument:xmlns:meta:1.0\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
    "office:version=\"1.2\"><office:meta><meta:generator>Test</meta:generator><dc:title>Title</dc:title>"
    "<meta:user-defined meta:name=\"Source\">old</meta:user-defined>"
    "<meta:user-defined meta:name=\"Other\" meta:value-type=\"float\">3.5</meta:user-defined>"
    "</office:meta></office:document-meta>";

} // namespace

QList<KTestZipEntry> KTestDocuments::package(const QString& kind)
{
    if (kind == QLatin1String("docx")) {
        return {{QStringLiteral("[Content_Types].xml"), contentTypes(QByteArray())},
                {QStringLiteral("_rels/.rels"), relationships(QByteArray())},
                {QStringLiteral("word/document.xml"), kWordDocument}};
    }
    if (kind == QLatin1String("docx+custom")) {
        return {{QStringLiteral("[Content_Types].xml"), contentTypes(customOverride("/docProps/custom.xml"))},
                {QStringLiteral("_rels/.rels"), relationships(customRelationship("docProps/custom.xml"))},
                {QStringLiteral("word/document.xml"), kWordDocument},
                {QStringLiteral("docProps/custom.xml"), kCustomProperties}};
    }
    if (kind == QLatin1String("custom-elsewhere")) {
        return {{QStringLiteral("[Content_Types].xml"), contentTypes(customOverride("/docProps/extra.xml"))},
                {QStringLiteral("_rels/.rels"), relationships(customRelationship("/docProps/extra.xml"))},
                {QStringLiteral("word/document.xml"), kWordDocument},
                {QStringLiteral("docProps/extra.xml"), kPrefixedCustomProperties}};
    }
    if (kind == QLatin1String("odt")) {
        return {{QStringLiteral("mimetype"), kOdfMimetype, true},
                {QStringLiteral("content.xml"), kOdfContent},
                {QStringLiteral("META-INF/manifest.xml"), odfManifest(QByteArray())}};
    }
    if (kind == QLatin1String("odt+meta")) {
        return {{QStringLiteral("mimetype"), kOdfMimetype, true},
                {QStringLiteral("content.xml"), kOdfContent},
                {QStringLiteral("meta.xml"), kOdfMeta},
                {QStringLiteral("META-INF/manifest.xml"),
                 odfManifest(
                     " <manifest:file-entry manifest:full-path=\"meta.xml\" manifest:media-type=\"text/xml\"/>\n")}};
    }
    return {};
}

bool KTestDocuments::isWellFormed(const QByteArray& xml, QString* error)
{
    QXmlStreamReader reader(xml);
    while (!reader.atEnd())
        reader.readNext();
    if (reader.hasError()) {
        *error = QStringLiteral("line %1: %2").arg(reader.lineNumber()).arg(reader.errorString());
        return false;
    }
    return true;
}

QStringList KTestDocuments::ooxmlProperties(const QByteArray& xml, QString* error)
{
    QStringList properties;
    QXmlStreamReader reader(xml);
    if (!reader.readNextStartElement() || reader.namespaceUri() != QLatin1String(kCustomPropertiesNs)
        || reader.name() != QLatin1String("Properties")) {
        *error = QStringLiteral("the root is not a custom properties element");
        return {};
    }
    {
        while (reader.readNextStartElement()) {
            if (reader.namespaceUri() != QLatin1String(kCustomPropertiesNs)
                || reader.name() != QLatin1String("property")) {
                reader.skipCurrentElement();
                continue;
            }
            const QXmlStreamAttributes attributes = reader.attributes();
            if (attributes.value(QStringLiteral("fmtid")) != QLatin1String(kUserDefinedFmtid))
                *error = QStringLiteral("a property has the format id %1")
                             .arg(attributes.value(QStringLiteral("fmtid")).toString());
            const QString pid = attributes.value(QStringLiteral("pid")).toString();
            const QString name = attributes.value(QStringLiteral("name")).toString();
            if (!reader.readNextStartElement() || reader.namespaceUri() != QLatin1String(kVariantTypesNs)) {
                *error = QStringLiteral("the property %1 has no value").arg(name);
                return {};
            }
            const QString type = reader.name().toString();
            const QString value = reader.readElementText();
            properties.append(QStringList{pid, name, type, value}.join(QLatin1Char('|')));
            reader.skipCurrentElement();
        }
    }
    if (reader.hasError())
        *error = reader.errorString();
    return properties;
}

QStringList KTestDocuments::odfProperties(const QByteArray& xml, QString* error)
{
    QStringList properties;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.namespaceUri() == QLatin1String(kMetaNs)
            && reader.name() == QLatin1String("user-defined")) {
            const QXmlStreamAttributes attributes = reader.attributes();
            const QString name = attributes.value(QLatin1String(kMetaNs), QStringLiteral("name")).toString();
            const QString type = attributes.value(QLatin1String(kMetaNs), QStringLiteral("value-type")).toString();
            properties.append(QStringList{name, type, reader.readElementText()}.join(QLatin1Char('|')));
        }
    }
    if (reader.hasError())
        *error = reader.errorString();
    return properties;
}

int KTestDocuments::countElements(const QByteArray& xml, const QString& namespaceUri, const QString& name,
                                  const QString& attribute, const QString& value)
{
    int count = 0;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.namespaceUri() == namespaceUri && reader.name() == name
            && reader.attributes().value(attribute) == value)
            ++count;
    }
    return count;
}
