// Registration<Interface>: the one implementation of an interface that a lower
// layer owns and a higher layer provides. The higher layer puts it in place in
// its explicit start-up call; a test may put a stand-in in place and give the
// previous one back. Registration is wiring, not process state: a state reset
// leaves it alone.
#pragma once

#include <utility>

namespace zarvento {

template <class Interface>
class Registration {
public:
    // Constant-initialised, so a registration made from a module's attach step
    // stands whatever order the module's static objects are made in.
    constexpr Registration() = default;

    // The registered implementation, or null (not owned).
    Interface* Get() const { return current_; }
    // Puts `next` in place (null unregisters) and returns the previous one.
    Interface* Register(Interface* next) { return std::exchange(current_, next); }

private:
    Interface* current_ = nullptr;
};

}  // namespace zarvento
