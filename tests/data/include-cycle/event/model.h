#pragma once
// Part of a deliberate cycle: the layering check must reject this tree.
#include "timing/run.h"
