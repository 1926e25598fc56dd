#ifndef KZEMBA_BASE_KMODIFYCUSTOMPROPSERRORINFO_H
#define KZEMBA_BASE_KMODIFYCUSTOMPROPSERRORINFO_H

#include <QMetaType>
#include <QString>

namespace kzemba {

/// Why a custom-property copy was not delivered: 1 the document does not exist,
/// 2 the copy could not be made, 5 no outcome within the time limit, -1 the
/// properties could not be written into the copy (the log says why). It crosses
/// from the worker thread to the caller's thread in queued signals.
struct KModifyCustomPropsErrorInfo
{
    int code = 0;
    QString desc;
};

} // namespace kzemba

Q_DECLARE_METATYPE(kzemba::KModifyCustomPropsErrorInfo)

#endif
