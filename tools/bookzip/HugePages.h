// Asks the C library's allocator for huge pages where it offers them.
#pragma once

// Call first in main with main's own argv: the program may start itself
// again to take the setting, since the allocator reads it only at start-up.
void PreferHugePages(char** argv);
