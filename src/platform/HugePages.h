// Huge pages for the big arrays of a cave: a million-shot cave is about a gigabyte of meshes,
// and touching it 4 KB at a time costs as much as building it.
#pragma once

namespace lumora::platform {

// Where the kernel gives transparent huge pages only to memory that asks for them (the usual
// "madvise" setting), starts the program again, once, with the C library told to ask for them
// (GLIBC_TUNABLES=glibc.malloc.hugetlb=1); page faults of a big cave drop about fifteenfold.
// Call first thing in main() with main's argv. Returns when there is nothing to do, when
// LUMORA_NO_HUGE_PAGES is set, or when the restart failed (the program then runs as it is).
void PreferHugePages(char** argv);

} // namespace lumora::platform
