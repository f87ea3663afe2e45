// The main window's metrics, kept current by its window procedure.
#include "view/view_metrics.h"

ViewMetrics viewMetrics;
