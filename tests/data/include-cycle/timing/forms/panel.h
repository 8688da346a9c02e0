#pragma once
// A form that reaches up into the shell: the layering check must reject it.
#include "shell/window.h"
#include "forms_kit/kit.h"
