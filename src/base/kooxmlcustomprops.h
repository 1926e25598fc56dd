#ifndef KZEMBA_BASE_KOOXMLCUSTOMPROPS_H
#define KZEMBA_BASE_KOOXMLCUSTOMPROPS_H

#include <QByteArray>
#include <QHash>
#include <QString>

namespace kzemba {

class KZipPackage;

/// Custom properties of an Office Open XML package: text properties in the
/// custom-properties part ("docProps/custom.xml" unless the package names
/// another), with its content-type override and package relationship added
/// when missing. Names match without regard to case, as Office treats them.
class KOoxmlCustomProps
{
public:
    static bool write(KZipPackage& package, const QHash<QString, QString>& props, QString* error);

private:
    // Each edit leaves `edited` empty when the part needs no change.
    static bool editRelationships(const QByteArray& xml, QString* partName, QByteArray* edited, QString* error);
    static bool editContentTypes(const QByteArray& xml, const QString& partName, QByteArray* edited, QString* error);
    static bool editProperties(const QByteArray& xml, const QHash<QString, QString>& props, QByteArray* edited,
                               QString* error);
};

} // namespace kzemba

#endif
