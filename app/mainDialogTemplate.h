#pragma once

// Template 102: the main dialog, every control of it in dialog units (see dialogTemplate).
//
// Constant data with static storage, valid for the life of the process and safe to read from
// any thread. Rows run in tab order. A drop-down combo's height is that of its closed field;
// the dropped list sizes itself.

#include "framework/dialogTemplate.h"

const dialogTemplate& mainDialogTemplate();
