#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// Test seam, not part of the product: empties the buffers of productDataDirectory.h, the two
// cached log-file paths included, as at process start. Lets each test see the caching of a
// fresh process; never call it from product code.
void resetProductDataPathsForTests();

#pragma GCC visibility pop
