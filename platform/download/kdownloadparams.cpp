#include "kdownloadparams.h"

KDownloadParams::KDownloadParams() = default;

void KDownloadParams::setUrl(const QString& url)
{
    m_url = url;
}

void KDownloadParams::setOperation(int operation)
{
    m_operation = operation;
}

void KDownloadParams::setPriority(int priority)
{
    m_priority = priority;
}
