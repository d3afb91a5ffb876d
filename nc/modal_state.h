// The modal state of the NC program while frames are created and written:
// one process-wide record that every frame constructor reads and updates, so
// frames must be created in program order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zarvento {

struct ModalStateRecord {
    double position[3] = {0.0, 0.0, 0.0};  // X, Y, Z of the current tool point
    std::int32_t previousTool = 0;         // tool position of the last tool change, -1 none
    std::int32_t spindleState = 0;         // 3, 4 or 5 (0 after a tool change: no direction yet)
    std::uint8_t spindleReverse = 0;       // 1 after an M04 frame
    std::uint8_t constantSpeed = 0;        // 1 after a G96 frame
    double spindleSpeed = 0.0;
    double feed = 0.0;
    double cuttingSpeed = 0.0;  // G96 V, m/min
    double minSpindleSpeed = 0.0;
    double maxSpindleSpeed = 0.0;
    double frameCounter = 0.0;  // the last block number given
    // Set whenever a frame falls back to its built-in text; the description
    // reader clears it and the program builder tests it.
    std::uint8_t builtInTextWritten = 0;
    std::uint8_t lastMoveRapid = 0;
    // The X and Z words the built-in texts of moves last wrote, as written
    // (empty: not known, the next move writes its word).
    std::string writtenX;
    std::string writtenZ;
    std::uint8_t lastLineNumbered = 0;
    std::uint8_t exportRun = 0;  // while set, frames store no text lines
    std::uint8_t templateActive = 0;
    std::uint8_t templatesEnabled = 0;
    double loopIndex = 0.0;
    std::string heldLine;      // the held template line, read as "_sMEMSTR"
    std::string versionText;   // VERSION of the loaded post-processor description
    std::string furtherText1;  // two texts kept for the program builder
    std::string furtherText2;
    // Messages of the template expansion, shown by the program builder.
    std::vector<std::string> errorTexts;
    // Address words the formatting refused (a value that is no number or has
    // more digits than any control reads), as "X=nan"; the program builder
    // clears the list, reads it after every frame and fails the job on any.
    std::vector<std::string> refusedWords;
};

// The one record; all zero when the library is loaded.
extern ModalStateRecord ModalState;

// Before every plan calculation and program build. The loaded description's
// version text and the error list belong to the program builder and stay.
void ResetModalState();

// Sets ModalState.exportRun for a scope and restores the old value on every exit.
class ExportRunGuard {
public:
    ExportRunGuard();
    ~ExportRunGuard();
    ExportRunGuard(const ExportRunGuard&) = delete;
    ExportRunGuard& operator=(const ExportRunGuard&) = delete;

private:
    std::uint8_t saved_;
};

}  // namespace zarvento
