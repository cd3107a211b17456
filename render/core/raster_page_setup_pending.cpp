// Placeholder until page setup exists: no set-up bytes.
#include "render/core/raster_page_setup.h"

BOOL WriteRasterPageSetup(PDEV*) { return TRUE; }
