#include "kooxmlcustomprops.h"

#include "base/kxmlpartcopier.h"
#include "base/kzippackage.h"

#include <QDir>
#include <QMap>
#include <QSet>
#include <QUrl>

#include <limits>

namespace kzemba {

namespace {

const QString kContentTypesPart = QStringLiteral("[Content_Types].xml");
const QString kRelationshipsPart = QStringLiteral("_rels/.rels");
const QString kDefaultPropertiesPart = QStringLiteral("docProps/custom.xml");

const QString kContentTypesNs = QStringLiteral("http://schemas.openxmlformats.org/package/2006/content-types");
const QString kRelationshipsNs = QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships");
const QString kPropertiesNs = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/custom-properties");
const QString kVariantTypesNs = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes");
const QString kPropertiesRelationship =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/custom-properties");
const QString kPropertiesContentType =
    QStringLiteral("application/vnd.openxmlformats-officedocument.custom-properties+xml");
// The format id that every user-defined property carries.
const QString kUserDefinedFmtid = QStringLiteral("{D5CDD505-2E9C-101B-9397-08002B2CF9AE}");
// Property ids 0 and 1 are reserved.
const int kFirstPid = 2;

const QByteArray kEmptyProperties =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/custom-properties\" "
    "xmlns:vt=\"http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes\"/>";

// A relationship target of the package root as a part name without the leading slash.
QString resolveRootTarget(const QString& target)
{
    const QString path = QDir::cleanPath(QLatin1Char('/') + QUrl::fromPercentEncoding(target.toUtf8()));
    if (path.size() < 2 || path.contains(QLatin1String("/../")) || path.endsWith(QLatin1Char('/')))
        return QString();
    return path.mid(1);
}

void writeProperty(KXmlPartCopier& copier, int pid, const QString& name, const QString& value)
{
    copier.writeStartElement(kPropertiesNs, QString(), QStringLiteral("property"));
    copier.writeAttribute(QString(), QString(), QStringLiteral("fmtid"), kUserDefinedFmtid);
    copier.writeAttribute(QString(), QString(), QStringLiteral("pid"), QString::number(pid));
    copier.writeAttribute(QString(), QString(), QStringLiteral("name"), name);
    copier.writeStartElement(kVariantTypesNs, QStringLiteral("vt"), QStringLiteral("lpwstr"));
    copier.writeCharacters(value);
    copier.writeEndElement();
    copier.writeEndElement();
}

} // namespace

bool KOoxmlCustomProps::write(KZipPackage& package, const QHash<QString, QString>& props, QString* error)
{
    QByteArray relationships;
    QByteArray contentTypes;
    if (!package.read(kRelationshipsPart, &relationships) || !package.read(kContentTypesPart, &contentTypes)) {
        *error = QStringLiteral("not an Office Open XML package: ") + package.errorString();
        return false;
    }
    QString partName;
    QByteArray editedRelationships;
    QByteArray editedContentTypes;
    if (!editRelationships(relationships, &partName, &editedRelationships, error)
        || !editContentTypes(contentTypes, partName, &editedContentTypes, error))
        return false;
    if (props.isEmpty())
        return true;

    QByteArray properties = kEmptyProperties;
    if (package.contains(partName) && !package.read(partName, &properties)) {
        *error = package.errorString();
        return false;
    }
    QByteArray editedProperties;
    if (!editProperties(properties, props, &editedProperties, error)) {
        *error = KXmlPartCopier::partError(partName, *error);
        return false;
    }
    if ((!editedRelationships.isEmpty() && !package.write(kRelationshipsPart, editedRelationships))
        || (!editedContentTypes.isEmpty() && !package.write(kContentTypesPart, editedContentTypes))
        || !package.write(partName, editedProperties)) {
        *error = package.errorString();
        return false;
    }
    return true;
}

bool KOoxmlCustomProps::editRelationships(const QByteArray& xml, QString* partName, QByteArray* edited, QString* error)
{
    KXmlPartCopier copier(xml);
    const QXmlStreamReader& reader = copier.reader();
    QSet<QString> ids;
    QString target;
    while (copier.readNext()) {
        if (copier.depth() == 1 && reader.isStartElement()
            && !copier.isElement(QXmlStreamReader::StartElement, kRelationshipsNs, QStringLiteral("Relationships"))) {
            *error = KXmlPartCopier::partError(kRelationshipsPart, QStringLiteral("the root is not a relationships element"));
            return false;
        }
        if (copier.depth() == 2
            && copier.isElement(QXmlStreamReader::StartElement, kRelationshipsNs, QStringLiteral("Relationship"))) {
            const QXmlStreamAttributes attributes = reader.attributes();
            ids.insert(attributes.value(QStringLiteral("Id")).toString());
            if (target.isEmpty() && attributes.value(QStringLiteral("Type")) == kPropertiesRelationship) {
                target = resolveRootTarget(attributes.value(QStringLiteral("Target")).toString());
                if (target.isEmpty()) {
                    *error =
                        KXmlPartCopier::partError(kRelationshipsPart, QStringLiteral("the custom properties target is not a part"));
                    return false;
                }
            }
        }
        if (copier.depth() == 1 && reader.isEndElement() && target.isEmpty()) {
            QString id;
            for (int n = ids.size() + 1; id.isEmpty() || ids.contains(id); ++n)
                id = QStringLiteral("rId") + QString::number(n);
            copier.writeStartElement(kRelationshipsNs, QString(), QStringLiteral("Relationship"));
            copier.writeAttribute(QString(), QString(), QStringLiteral("Id"), id);
            copier.writeAttribute(QString(), QString(), QStringLiteral("Type"), kPropertiesRelationship);
            copier.writeAttribute(QString(), QString(), QStringLiteral("Target"), kDefaultPropertiesPart);
            copier.writeEndElement();
            *partName = kDefaultPropertiesPart;
        }
        copier.copyCurrent();
    }
    QByteArray copy;
    if (!copier.finish(&copy, error)) {
        *error = KXmlPartCopier::partError(kRelationshipsPart, *error);
        return false;
    }
    if (!target.isEmpty())
        *partName = target;
    else
        *edited = copy;
    return true;
}

bool KOoxmlCustomProps::editContentTypes(const QByteArray& xml, const QString& partName, QByteArray* edited,
                                         QString* error)
{
    const QString overridePart = QLatin1Char('/') + partName;
    KXmlPartCopier copier(xml);
    const QXmlStreamReader& reader = copier.reader();
    bool listed = false;
    while (copier.readNext()) {
        if (copier.depth() == 1 && reader.isStartElement()
            && !copier.isElement(QXmlStreamReader::StartElement, kContentTypesNs, QStringLiteral("Types"))) {
            *error = KXmlPartCopier::partError(kContentTypesPart, QStringLiteral("the root is not a content types element"));
            return false;
        }
        if (copier.depth() == 2
            && copier.isElement(QXmlStreamReader::StartElement, kContentTypesNs, QStringLiteral("Override"))
            && reader.attributes().value(QStringLiteral("PartName")).compare(overridePart, Qt::CaseInsensitive) == 0)
            listed = true;
        if (copier.depth() == 1 && reader.isEndElement() && !listed) {
            copier.writeStartElement(kContentTypesNs, QString(), QStringLiteral("Override"));
            copier.writeAttribute(QString(), QString(), QStringLiteral("PartName"), overridePart);
            copier.writeAttribute(QString(), QString(), QStringLiteral("ContentType"), kPropertiesContentType);
            copier.writeEndElement();
        }
        copier.copyCurrent();
    }
    QByteArray copy;
    if (!copier.finish(&copy, error)) {
        *error = KXmlPartCopier::partError(kContentTypesPart, *error);
        return false;
    }
    if (!listed)
        *edited = copy;
    return true;
}

bool KOoxmlCustomProps::editProperties(const QByteArray& xml, const QHash<QString, QString>& props, QByteArray* edited,
                                       QString* error)
{
    // Keyed by the case-folded name; sorted, so that new properties come in a stable order.
    QMap<QString, QPair<QString, QString>> pending;
    for (auto it = props.begin(); it != props.end(); ++it)
        pending.insert(it.key().toCaseFolded(), qMakePair(it.key(), it.value()));
    QSet<QString> replaced;
    int lastPid = kFirstPid - 1;

    KXmlPartCopier copier(xml);
    const QXmlStreamReader& reader = copier.reader();
    while (copier.readNext()) {
        if (copier.depth() == 1 && reader.isStartElement()
            && !copier.isElement(QXmlStreamReader::StartElement, kPropertiesNs, QStringLiteral("Properties"))) {
            *error = QStringLiteral("the root is not a custom properties element");
            return false;
        }
        if (copier.depth() == 2
            && copier.isElement(QXmlStreamReader::StartElement, kPropertiesNs, QStringLiteral("property"))) {
            const QXmlStreamAttributes attributes = reader.attributes();
            const QString key = attributes.value(QStringLiteral("name")).toString().toCaseFolded();
            bool validPid = false;
            const int pid = attributes.value(QStringLiteral("pid")).toInt(&validPid);
            if (validPid)
                lastPid = qMax(lastPid, pid);
            if (pending.contains(key) || replaced.contains(key)) {
                // The new value takes the old one's place and id; an old one without a usable id
                // is dropped and the new one appended, and so is a second old one of the name.
                if (pending.contains(key) && validPid && pid >= kFirstPid) {
                    const QPair<QString, QString> property = pending.take(key);
                    writeProperty(copier, pid, property.first, property.second);
                }
                replaced.insert(key);
                copier.skipCurrentElement();
                continue;
            }
        }
        if (copier.depth() == 1 && reader.isEndElement()) {
            if (lastPid > std::numeric_limits<int>::max() - pending.size()) {
                *error = QStringLiteral("no property ids are left");
                return false;
            }
            for (const QPair<QString, QString>& property : qAsConst(pending))
                writeProperty(copier, ++lastPid, property.first, property.second);
        }
        copier.copyCurrent();
    }
    return copier.finish(edited, error);
}

} // namespace kzemba
