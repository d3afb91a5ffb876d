// A program's text read back as a lathe control reads it (ISO 6983, of the
// Fanuc-T kind the installed descriptions write for): modal G00 to G03 and
// G32, X by the settings' convention, the words in the program's units, an
// arc's centre from R or from I and K with the sense its letter has with Z
// to the right and the printed X up. What the program drives is what this
// reads, not what the path computed: the main job checks it, and so do the
// tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zarvento {

// One move as written, in the internal turning plane (z, x), x the negated
// radius.
struct WrittenMove {
    int line = -1;  // the index the reader was given with its block
    int g = 0;      // 0 rapid, 1 feed, 2 and 3 arcs by their printed letter, 32 a thread cut
    int tool = -1;  // the last T word's value as printed
    double z1 = 0.0, x1 = 0.0, z2 = 0.0, x2 = 0.0;
    double cz = 0.0, cx = 0.0, r = 0.0;  // an arc's centre and radius
    double sweep = 0.0;                  // an arc's angle, counter-clockwise in (z, x) positive
    bool fromKnownPoint = true;          // false after a return to the reference point that names no axis
    bool inCycle = false;                // a move of a machine cycle's profile

    bool Rapid() const { return g == 0; }
    bool Arc() const { return g == 2 || g == 3; }
};

struct WrittenProgramFormat {
    int xMode = 0;       // the settings' X convention: 0 diameter, 1 radius in -X, 2 radius
    double scale = 1.0;  // a word's value times this is millimetres
    double z0 = 0.0;     // where the tool stands before the first block
    double x0 = 0.0;
};

class WrittenProgramReader {
public:
    // A return to the reference point (G28 with U0 or W0) takes the axis
    // this far out, past anything on the lathe.
    static constexpr double kReference = 1000.0;

    explicit WrittenProgramReader(const WrittenProgramFormat& format);

    // Reads one block (comments in brackets are no part of it); its move,
    // when it moves, is appended to `moves` with `index`.
    void Read(std::string_view block, int index, std::vector<WrittenMove>& moves);
    // The blocks of a machine cycle stand between these: their moves are
    // the cycle's profile, and after them the control stands where the cycle
    // began.
    void BeginCycle();
    void EndCycle();

    // What no control could read: a word that is no number, an arc whose R
    // is shorter than half its chord or that has neither R nor I and K.
    const std::vector<std::string>& Faults() const { return faults_; }

private:
    WrittenProgramFormat format_;
    int modal_ = 0, tool_ = -1;
    double z_ = 0.0, x_ = 0.0;
    bool known_ = true;
    bool inCycle_ = false;
    double cycleZ_ = 0.0, cycleX_ = 0.0;
    bool cycleKnown_ = true;
    std::vector<std::string> faults_;
};

// A whole text read block by block, each line's index its number from 0.
std::vector<WrittenMove> ReadWrittenProgram(const std::vector<std::string>& lines, const WrittenProgramFormat& format,
                                            std::vector<std::string>* faults = nullptr);

}  // namespace zarvento
