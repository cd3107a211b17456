// Placeholder until the page mapping exists: it replaces this file with the
// zoom and rotation of the logical page.
#include "render/vector/pcl_cursor.h"

void MapPagePoint(const PDEV*, LONG*, LONG*) {}
