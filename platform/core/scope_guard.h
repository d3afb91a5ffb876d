// Work done when a scope ends, however it is left: the one way a scope puts
// back what it changed (a flag, a setting, an owner) or undoes a step.
#pragma once

#include <utility>

namespace zarvento {

// Runs `undo` at the end of the scope unless dismissed. `undo` runs from a
// destructor: one that may fail catches its own errors, so that it never
// replaces an error already on its way out.
template <class F>
class [[nodiscard]] ScopeGuard {
public:
    explicit ScopeGuard(F undo) : undo_(std::move(undo)) {}
    ~ScopeGuard() {
        if (armed_) undo_();
    }
    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;

    // The scope ended as planned: nothing is undone.
    void Dismiss() { armed_ = false; }

private:
    F undo_;
    bool armed_ = true;
};

// Sets `variable` to `value` for the scope and puts its previous value back
// at its end.
template <class T, class V>
[[nodiscard]] auto SetForScope(T& variable, V&& value) {
    T previous = std::exchange(variable, std::forward<V>(value));
    return ScopeGuard([&variable, previous = std::move(previous)]() mutable { variable = std::move(previous); });
}

}  // namespace zarvento
