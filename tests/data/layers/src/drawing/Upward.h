#pragma once
// A drawing-layer header that reaches up into the application core: the layer check
// must refuse it.
#include "app/AppCore.h"
