#ifndef KZEMBA_BASE_KCUSTOMPROPSWRITER_H
#define KZEMBA_BASE_KCUSTOMPROPSWRITER_H

#include <QHash>
#include <QString>

namespace kzemba {

/// Writes custom document properties (name to text) into a document file in the
/// document's own format, chosen by the document's file name: Office Open XML
/// (Word, Excel and PowerPoint documents, templates and macro variants) or
/// OpenDocument (text, spreadsheet and presentation documents and templates). A
/// property of the same name is replaced, all others are kept.
class KCustomPropsWriter
{
public:
    // Edits the package at `path` in place; `documentName` gives the format. On failure the
    // file may be half-edited (callers work on a copy) and `error` says why.
    static bool write(const QString& path, const QString& documentName, const QHash<QString, QString>& props,
                      QString* error);
};

} // namespace kzemba

#endif
