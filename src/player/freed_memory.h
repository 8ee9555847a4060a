#pragma once

// Gives the memory that the process has freed back to the system. The C
// library keeps freed blocks for reuse, and after the decoded pictures of a
// movie that is hundreds of megabytes; called after they were freed.
void ReturnFreedMemory();
