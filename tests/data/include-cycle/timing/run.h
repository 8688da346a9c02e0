#pragma once
#include "event/model.h"
