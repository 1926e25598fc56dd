#include "kxjsapiconstants.h"

const char* const g_str_callstatus = "callstatus";
const char* const g_str_errormsg = "errormsg";
const char* const g_str_ok = "ok";
const char* const g_str_error = "error";
const char* const g_str_result = "result";
