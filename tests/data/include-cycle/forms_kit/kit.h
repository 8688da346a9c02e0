#pragma once
// The kit sits below the subsystems: the layering check must reject this include.
#include "qualification/rounds.h"
#include "platform/text.h"
