#pragma once
#include "win/base.h"

KW_API BOOL WINAPI CloseHandle(HANDLE h);
