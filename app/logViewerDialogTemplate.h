#pragma once

// Template 129: the log viewer, a read-only text pane (1084) and "Close" (2) (see
// dialogTemplate).
//
// Constant data with static storage, valid for the life of the process and safe to read from
// any thread.

#include "framework/dialogTemplate.h"

const dialogTemplate& logViewerDialogTemplate();
