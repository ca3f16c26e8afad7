#pragma once
// The GDI back end of the graphics layer: pens and brushes per colour index, the fill patterns
// PAT01..PAT99, the software dash types, polylines, polygons, rectangles and picture fills on the
// target device contexts. The operations are members of plot_graphics (graphics_state.h).
#include "plotwell/app/graphics/graphics_state.h"
