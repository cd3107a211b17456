#include "win/base.h"

static thread_local DWORD t_lastError = 0;

KW_API DWORD WINAPI GetLastError(void) { return t_lastError; }
KW_API void WINAPI SetLastError(DWORD code) { t_lastError = code; }
