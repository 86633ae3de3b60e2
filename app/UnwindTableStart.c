/* The start of ZRKTempDll.dll's unwind tables and their registration, linked in place of
 * the compiler's own start file of that name (see CMakeLists.txt). The compiler's version
 * first asks the system for a shared copy of the unwinder and registers the tables with it
 * when one is loaded: under Wine that question searches the whole library path on disk,
 * about a millisecond of every load, and the answer would be wrong for this DLL anyway,
 * whose throws are unwound by its own statically linked copy. The tables are registered
 * with that copy only. The compiler's end file ends the tables and calls the function
 * below first among the module's constructors. */
#include <stdlib.h>

void __register_frame_info(const void* begin, void* object);
void* __deregister_frame_info(const void* begin);

/* Placed first in the tables' section: this file is built without tables of its own. */
static char unwindTablesBegin[] __attribute__((section(".eh_frame"), aligned(4), used)) = {};

/* The unwinder's bookkeeping for this module: six words of its own, with room to spare. */
static void* unwindObject[8];

void __gcc_deregister_frame(void) { __deregister_frame_info(unwindTablesBegin); }

void __gcc_register_frame(void)
{
    __register_frame_info(unwindTablesBegin, unwindObject);
    atexit(__gcc_deregister_frame);
}
