#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// Event objects for the platform layer's own use, without a handle: the registry's change
// notification keeps the caller's event alive while it is registered (as Windows references
// it), and waits on a private one in synchronous mode. Thread-safety: as for events.

#include "platform/kernelObject.h"

#include <memory>

namespace eventObjects
{
// A manual-reset, initially clear event no handle names; throws std::bad_alloc.
std::shared_ptr<kernelObject> makeEvent();
bool isEvent(const kernelObject& object);
// Sets `object` when it is an event; false (and nothing changes) for any other object.
bool signal(kernelObject& object);
} // namespace eventObjects

#pragma GCC visibility pop
