#ifndef KZEMBA_BASE_KODFCUSTOMPROPS_H
#define KZEMBA_BASE_KODFCUSTOMPROPS_H

#include <QByteArray>
#include <QHash>
#include <QString>

namespace kzemba {

class KZipPackage;

/// Custom properties of an OpenDocument package: user-defined text metadata in
/// "meta.xml", which is created (and listed in the manifest) when missing. The
/// package's other entries, "mimetype" first of them, stay as they are stored.
class KOdfCustomProps
{
public:
    static bool write(KZipPackage& package, const QHash<QString, QString>& props, QString* error);

private:
    static bool editMeta(const QByteArray& xml, const QHash<QString, QString>& props, QByteArray* edited,
                         QString* error);
    // Lists "meta.xml" in the manifest; `edited` stays empty when it already is there.
    static bool editManifest(const QByteArray& xml, QString* version, QByteArray* edited, QString* error);
};

} // namespace kzemba

#endif
