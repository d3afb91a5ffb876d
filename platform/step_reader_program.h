// The STEP reader program ("rdzstep", beside the host module): the host reads
// a STEP file in a process of its own, so that a file that makes the
// translator crash or run away ends that process and not the host's.
#pragma once

namespace zarvento {

// The program's name, as the host finds it beside its own module.
inline constexpr const char* kStepReaderProgram = "rdzstep";

// rdzstep <file>: reads the STEP file with the translator and writes what it
// read (the parts, their bodies, face looks and names) or why it refused the
// file onto its standard output, in the form the host reads back; 0 once
// written, 2 for wrong usage. Whatever the translator prints goes to the
// standard error. A read that takes more memory than the reader may have
// (2048 MiB, or the number of MiB the environment's ZARVENTO_STEP_READER_MIB
// gives) ends with that refusal as the record.
int StepReaderProgram(int argc, char** argv);

}  // namespace zarvento
