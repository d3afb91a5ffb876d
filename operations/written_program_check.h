// The main job's check of the program as written: the text the program's
// frames wrote, read back block by block as a control reads it (after the
// words were rounded and the unchanged ones left out, X by the settings'
// convention, in the program's units), each operation's moves checked
// against the part, the stock and the operation's tool, so that what is
// judged is what the machine will run rather than what the path computed.
#pragma once

#include <string>
#include <vector>

#include "post/written_program_reader.h"

namespace zarvento {

class CCadreISO;
class CPROGRAM;
class CTurn;

// How the program's text is to be read: the settings' X convention, the
// units of the description's X word, the tool at the plan's home point.
WrittenProgramFormat ProgramTextFormat();
// How a script's program for `program` is to be read: in the program's
// units, X as a radius where the chosen CNC code's name says RADIUS (or
// РАДИУС), else in the settings' convention, which the script's input has.
WrittenProgramFormat ScriptTextFormat(const CPROGRAM& program);

// The text as it is saved and how it came about: the frames' own text of
// the program's last text pass, and what the post-processor's script made
// of it when one ran.
struct SavedText {
    const std::vector<std::string>* frameText = nullptr;
    const std::vector<std::string>* scriptText = nullptr;

    const std::vector<std::string>& Saved() const { return scriptText ? *scriptText : *frameText; }
};

// The moves each operation's frames wrote in the program's text (the lines
// of its last text pass), in order; a machine cycle's blocks are read as its
// profile. Moves from a point no block named are left out.
struct OperationMoves {
    CTurn* op = nullptr;
    std::vector<WrittenMove> moves;
    std::vector<std::string> blocks;       // the block each move was read from
    std::vector<const CCadreISO*> frames;  // the frame that wrote that block
};
// In a script's text, where the frames that wrote a block are not known,
// an operation's blocks are those below its heading comments (which the
// script passes on as it got them) up to the next operation's; a script
// text without every operation's heading in order cannot be read so, and
// says so in `faults`.
std::vector<OperationMoves> ReadOperationMoves(const CPROGRAM& program, const std::vector<std::string>& lines,
                                               std::vector<std::string>* faults = nullptr);
std::vector<OperationMoves> ReadOperationMoves(const CPROGRAM& program, const SavedText& text,
                                               std::vector<std::string>* faults = nullptr);

// The check of every active operation in the text: an operation whose
// frames wrote no move, whose moves as written cut into the part or run
// into the stock, or a roughing whose passes stop short of its working
// contour, gets its error message; a block no control reads is a
// fault of the program (`faults`). Operations the machine compensates
// (G41/G42) are written without the nose's offset and are left to the check
// of their computed path. True when nothing failed.
bool CheckWrittenProgram(const CPROGRAM& program, const std::vector<std::string>& lines,
                         std::vector<std::string>& faults);
bool CheckWrittenProgram(const CPROGRAM& program, const SavedText& text, std::vector<std::string>& faults);

}  // namespace zarvento
