#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// Debugger output with the Windows functions' names. Windows hands the text to an attached
// debugger; here it goes, as UTF-8, to a sink: standard error unless one was set.
// Output never throws: a text that cannot be converted or delivered (memory exhausted, a
// throwing sink) is dropped.
// Thread-safety: any thread may write or set the sink; writes reach the sink one at a time,
// so a sink needs no lock of its own (and must not write debugger output itself).

#include <reZevavEvadurov/winTypes.h>

#include <functional>
#include <string_view>

// Receives one OutputDebugString text, converted to UTF-8, without a terminator.
using debugOutputSink = std::function<void(std::string_view utf8)>;

// Installs `sink` and returns the one it replaces (empty when that was standard error). An
// empty sink restores standard error.
// Not a Windows function: the one place tests and tools redirect the output.
debugOutputSink setDebugOutputSink(debugOutputSink sink);

// A null text writes nothing. The wide text is UTF-16; a lone surrogate keeps its value in
// the three-byte form (see wideText::toUtf8).
void OutputDebugStringW(LPCWSTR text) noexcept;
// The 8-bit text is passed through as it is (Windows reads it in the ANSI code page; here
// 8-bit text is UTF-8).
void OutputDebugStringA(LPCSTR text) noexcept;

#pragma GCC visibility pop
