// The job trailer: PCL reset, ready message cleared, PJL end of job.
#pragma once
#include "windows.h"

struct PDEV;

// `deviceMode` closes an HP-GL/2 input window first.
BOOL WriteJobTrailer(PDEV* pdev, BOOL deviceMode);
