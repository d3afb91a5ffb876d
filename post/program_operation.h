// ProgramOperation: one operation of the plan as the NC program collects it.
// The operations live above this layer and implement it.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace zarvento {

class CCadreISO;

class ProgramOperation {
public:
    virtual ~ProgramOperation() = default;

    // The operation's name, as messages about its part of the program call it.
    virtual std::string ProgramName() const { return {}; }

    // Neither excluded nor carrying a message of its last calculation.
    virtual bool IsActive() const = 0;
    // The heading comments (and the exclusion or error mark): pointed to by
    // `program`, owned by `owned`.
    virtual void AddCommentFrames(std::vector<CCadreISO*>& program, std::vector<std::unique_ptr<CCadreISO>>& owned) = 0;
    // The operation's path frames, pointed to and never owned.
    virtual void CopyFramesTo(std::vector<CCadreISO*>& program) = 0;
    // The operation's document frame, owned by `owned`.
    virtual void AddDocFrame(std::vector<CCadreISO*>& program, std::vector<std::unique_ptr<CCadreISO>>& owned) = 0;

    // Whether the path is offset by the tool's corner radius, and whether the
    // machine compensates the radius itself (G41/G42): then the program's
    // path is made without the offset. Kinds without either answer false.
    virtual bool CorrectsRadius() const { return false; }
    virtual bool MachineCompensatesRadius() const { return false; }
    virtual void SetCorrectsRadius(bool) {}
    // Whether the path as calculated keeps clear of the part and the stock;
    // false, with the operation's message set, when it does not. The program
    // asks it of a path the machine compensates before its correction is
    // switched off: what is written for it then is no path of the nose.
    virtual bool CheckCalculatedPath() { return true; }
};

}  // namespace zarvento
