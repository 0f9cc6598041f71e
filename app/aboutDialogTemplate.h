#pragma once

// Template 100: the About box (see dialogTemplate).
//
// Constant data with static storage, valid for the life of the process and safe to read from
// any thread.

#include "framework/dialogTemplate.h"

const dialogTemplate& aboutDialogTemplate();
