#pragma once

namespace zarvento {

// Sets the program's heap up; a program calls it first thing in main.
//
// A part of tens of thousands of faces makes the main job allocate a few
// hundred megabytes in small blocks, and on virtual machines the kernel's
// fault for each fresh 4 KiB page costs microseconds: at 20,000 segments
// that was a third of the run. Built with mimalloc, the heap takes its
// segments in 2 MiB pages where the kernel allows it, so a page is faulted
// once per 2 MiB. Without mimalloc it does nothing.
void SetUpProgramHeap();

}  // namespace zarvento
