#pragma once

// CloseHandle for every kernel object the layer hands out (events, files).

#include <reZevavEvadurov/export.h>
#include <reZevavEvadurov/winTypes.h>

// Closes the handle; the object goes once no call is using it any more. FALSE with
// ERROR_INVALID_HANDLE for a null, INVALID_HANDLE_VALUE, unknown or already closed handle
// (Windows may raise an exception there under a debugger; this layer only fails).
RZ_API WINBOOL CloseHandle(HANDLE handle);
