#include "kodfcustomprops.h"

#include "base/kxmlpartcopier.h"
#include "base/kzippackage.h"

#include <QMap>
#include <QRegularExpression>

namespace kzemba {

namespace {

const QString kMimetypeEntry = QStringLiteral("mimetype");
const QString kMetaPart = QStringLiteral("meta.xml");
const QString kManifestPart = QStringLiteral("META-INF/manifest.xml");
const QString kOpenDocumentMimePrefix = QStringLiteral("application/vnd.oasis.opendocument.");

const QString kOfficeNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString kMetaNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:meta:1.0");
const QString kManifestNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:manifest:1.0");

// A new metadata part of the document's version (taken from its manifest, when it has one).
QByteArray emptyMeta(const QString& version)
{
    static const QRegularExpression versionPattern(QStringLiteral("^\\d+\\.\\d+$"));
    const QString versionAttribute =
        versionPattern.match(version).hasMatch() ? QStringLiteral(" office:version=\"%1\"").arg(version) : QString();
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<office:document-meta xmlns:office=\"%1\" xmlns:meta=\"%2\"%3><office:meta/>"
                          "</office:document-meta>")
        .arg(kOfficeNs, kMetaNs, versionAttribute)
        .toUtf8();
}

void writeUserDefined(KXmlPartCopier& copier, const QString& name, const QString& value)
{
    copier.writeStartElement(kMetaNs, QStringLiteral("meta"), QStringLiteral("user-defined"));
    copier.writeAttribute(kMetaNs, QStringLiteral("meta"), QStringLiteral("name"), name);
    copier.writeAttribute(kMetaNs, QStringLiteral("meta"), QStringLiteral("value-type"), QStringLiteral("string"));
    copier.writeCharacters(value);
    copier.writeEndElement();
}

} // namespace

bool KOdfCustomProps::write(KZipPackage& package, const QHash<QString, QString>& props, QString* error)
{
    QByteArray mimetype;
    if (!package.read(kMimetypeEntry, &mimetype)) {
        *error = QStringLiteral("not an OpenDocument package: ") + package.errorString();
        return false;
    }
    if (!QString::fromUtf8(mimetype).trimmed().startsWith(kOpenDocumentMimePrefix)) {
        *error = QStringLiteral("not an OpenDocument package: the media type is %1").arg(QString::fromUtf8(mimetype.left(80)));
        return false;
    }
    if (props.isEmpty())
        return true;

    QByteArray meta;
    QByteArray editedManifest;
    if (package.contains(kMetaPart)) {
        if (!package.read(kMetaPart, &meta)) {
            *error = package.errorString();
            return false;
        }
    } else {
        QString version;
        if (package.contains(kManifestPart)) {
            QByteArray manifest;
            if (!package.read(kManifestPart, &manifest)) {
                *error = package.errorString();
                return false;
            }
            if (!editManifest(manifest, &version, &editedManifest, error))
                return false;
        }
        meta = emptyMeta(version);
    }
    QByteArray editedMeta;
    if (!editMeta(meta, props, &editedMeta, error))
        return false;
    if (!package.write(kMetaPart, editedMeta)
        || (!editedManifest.isEmpty() && !package.write(kManifestPart, editedManifest))) {
        *error = package.errorString();
        return false;
    }
    return true;
}

bool KOdfCustomProps::editMeta(const QByteArray& xml, const QHash<QString, QString>& props, QByteArray* edited,
                               QString* error)
{
    // Sorted, so that new properties come in a stable order.
    QMap<QString, QString> pending;
    for (auto it = props.begin(); it != props.end(); ++it)
        pending.insert(it.key(), it.value());
    bool metaSeen = false;

    KXmlPartCopier copier(xml);
    const auto writePending = [&] {
        for (auto it = pending.cbegin(); it != pending.cend(); ++it)
            writeUserDefined(copier, it.key(), it.value());
        pending.clear();
    };
    const QXmlStreamReader& reader = copier.reader();
    while (copier.readNext()) {
        if (copier.depth() == 1 && reader.isStartElement()
            && !copier.isElement(QXmlStreamReader::StartElement, kOfficeNs, QStringLiteral("document-meta"))) {
            *error = KXmlPartCopier::partError(kMetaPart, QStringLiteral("the root is not a document-meta element"));
            return false;
        }
        if (copier.depth() == 3
            && copier.isElement(QXmlStreamReader::StartElement, kMetaNs, QStringLiteral("user-defined"))) {
            const QString name = reader.attributes().value(kMetaNs, QStringLiteral("name")).toString();
            if (props.contains(name)) {
                // The new value takes the place of the first old one; further ones go.
                if (pending.contains(name))
                    writeUserDefined(copier, name, pending.take(name));
                copier.skipCurrentElement();
                continue;
            }
        }
        if (copier.depth() == 2 && copier.isElement(QXmlStreamReader::EndElement, kOfficeNs, QStringLiteral("meta"))) {
            writePending();
            metaSeen = true;
        }
        if (copier.depth() == 1 && reader.isEndElement() && !metaSeen) {
            copier.writeStartElement(kOfficeNs, QStringLiteral("office"), QStringLiteral("meta"));
            writePending();
            copier.writeEndElement();
        }
        copier.copyCurrent();
    }
    if (!copier.finish(edited, error)) {
        *error = KXmlPartCopier::partError(kMetaPart, *error);
        return false;
    }
    return true;
}

bool KOdfCustomProps::editManifest(const QByteArray& xml, QString* version, QByteArray* edited, QString* error)
{
    KXmlPartCopier copier(xml);
    const QXmlStreamReader& reader = copier.reader();
    bool listed = false;
    while (copier.readNext()) {
        if (copier.depth() == 1 && reader.isStartElement()) {
            if (!copier.isElement(QXmlStreamReader::StartElement, kManifestNs, QStringLiteral("manifest"))) {
                *error = KXmlPartCopier::partError(kManifestPart, QStringLiteral("the root is not a manifest element"));
                return false;
            }
            *version = reader.attributes().value(kManifestNs, QStringLiteral("version")).toString();
        }
        if (copier.depth() == 2
            && copier.isElement(QXmlStreamReader::StartElement, kManifestNs, QStringLiteral("file-entry"))
            && reader.attributes().value(kManifestNs, QStringLiteral("full-path")) == kMetaPart)
            listed = true;
        if (copier.depth() == 1 && reader.isEndElement() && !listed) {
            copier.writeStartElement(kManifestNs, QStringLiteral("manifest"), QStringLiteral("file-entry"));
            copier.writeAttribute(kManifestNs, QStringLiteral("manifest"), QStringLiteral("full-path"), kMetaPart);
            copier.writeAttribute(kManifestNs, QStringLiteral("manifest"), QStringLiteral("media-type"),
                                  QStringLiteral("text/xml"));
            copier.writeEndElement();
        }
        copier.copyCurrent();
    }
    QByteArray copy;
    if (!copier.finish(&copy, error)) {
        *error = KXmlPartCopier::partError(kManifestPart, *error);
        return false;
    }
    if (!listed)
        *edited = copy;
    return true;
}

} // namespace kzemba
