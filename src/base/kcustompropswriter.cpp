#include "kcustompropswriter.h"

#include "base/kodfcustomprops.h"
#include "base/kooxmlcustomprops.h"
#include "base/kxmlpartcopier.h"
#include "base/kzippackage.h"

#include <QFileInfo>
#include <QStringList>

namespace kzemba {

namespace {

enum class DocumentFormat { Unknown, OfficeOpenXml, OpenDocument };

DocumentFormat formatOf(const QString& documentName)
{
    static const QStringList officeOpenXml = {QStringLiteral("docx"), QStringLiteral("docm"), QStringLiteral("dotx"),
                                              QStringLiteral("dotm"), QStringLiteral("xlsx"), QStringLiteral("xlsm"),
                                              QStringLiteral("xltx"), QStringLiteral("xltm"), QStringLiteral("pptx"),
                                              QStringLiteral("pptm"), QStringLiteral("potx"), QStringLiteral("potm"),
                                              QStringLiteral("ppsx"), QStringLiteral("ppsm")};
    static const QStringList openDocument = {QStringLiteral("odt"), QStringLiteral("ott"), QStringLiteral("ods"),
                                             QStringLiteral("ots"), QStringLiteral("odp"), QStringLiteral("otp")};
    const QString suffix = QFileInfo(documentName).suffix().toLower();
    if (officeOpenXml.contains(suffix))
        return DocumentFormat::OfficeOpenXml;
    if (openDocument.contains(suffix))
        return DocumentFormat::OpenDocument;
    return DocumentFormat::Unknown;
}

// Names and values must survive as XML text; an empty name cannot be told apart from none.
bool checkProperties(const QHash<QString, QString>& props, QString* error)
{
    for (auto it = props.begin(); it != props.end(); ++it) {
        if (it.key().isEmpty()) {
            *error = QStringLiteral("a property has an empty name");
            return false;
        }
        if (!KXmlPartCopier::isXmlText(it.key()) || !KXmlPartCopier::isXmlText(it.value())) {
            *error = QStringLiteral("the property \"%1\" holds characters that a document cannot store")
                         .arg(KXmlPartCopier::isXmlText(it.key()) ? it.key() : QStringLiteral("(unprintable)"));
            return false;
        }
    }
    return true;
}

} // namespace

bool KCustomPropsWriter::write(const QString& path, const QString& documentName, const QHash<QString, QString>& props,
                               QString* error)
{
    const DocumentFormat format = formatOf(documentName);
    if (format == DocumentFormat::Unknown) {
        *error = QStringLiteral("%1 is neither an Office Open XML nor an OpenDocument file").arg(documentName);
        return false;
    }
    if (!checkProperties(props, error))
        return false;

    KZipPackage package(path);
    if (!package.isOpen()) {
        *error = package.errorString();
        return false;
    }
    const bool written = format == DocumentFormat::OfficeOpenXml ? KOoxmlCustomProps::write(package, props, error)
                                                                 : KOdfCustomProps::write(package, props, error);
    if (!written)
        return false;
    if (!package.commit()) {
        *error = package.errorString();
        return false;
    }
    return true;
}

} // namespace kzemba
