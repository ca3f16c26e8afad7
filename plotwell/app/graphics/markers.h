#pragma once
// Markers and circles of the graphics layer: the 19 built-in shapes, the ten user shapes (20..29)
// and the ten picture markers (30..39), drawn through the layer's own primitives so that both back
// ends show them. The operations are members of plot_graphics (graphics_state.h).
#include "plotwell/app/graphics/graphics_state.h"
