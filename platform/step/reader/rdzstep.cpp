// The STEP reader program: the host reads STEP files through it, in a process
// of their own (platform/step_reader_program.h).
#include "platform/heap/program_heap.h"
#include "platform/step_reader_program.h"

int main(int argc, char** argv) {
    zarvento::SetUpProgramHeap();
    return zarvento::StepReaderProgram(argc, argv);
}
