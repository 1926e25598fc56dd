#ifndef KZEMBA_VDLLITE_KXJSAPICONSTANTS_H
#define KZEMBA_VDLLITE_KXJSAPICONSTANTS_H

#include "kzembaplatform_export.h"

// Keys and status texts of the answer envelope that every JS API object uses.
KZEMBAPLATFORM_EXPORT extern const char* const g_str_callstatus;
KZEMBAPLATFORM_EXPORT extern const char* const g_str_errormsg;
KZEMBAPLATFORM_EXPORT extern const char* const g_str_ok;
KZEMBAPLATFORM_EXPORT extern const char* const g_str_error;
KZEMBAPLATFORM_EXPORT extern const char* const g_str_result;

#endif
