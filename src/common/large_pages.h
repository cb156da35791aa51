#pragma once
// Memory for a program's working copies of the image from large pages where the system offers
// them on request (transparent huge pages in "madvise" mode, Debian's default).

namespace cs {

// Call once at the start of main, before the program allocates its buffers.
void useLargePagesForTheHeap();

} // namespace cs
