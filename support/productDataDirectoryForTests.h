#pragma once

// Test seam, not part of the product: empties the buffers of productDataDirectory.h, the two
// cached log-file paths included, as at process start. Lets each test see the caching of a
// fresh process; never call it from product code.
void resetProductDataPathsForTests();
