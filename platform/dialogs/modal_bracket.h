// The host's modal bracket as a scope: opened when the scope starts, closed
// on every exit, exceptions included, so a failing command cannot leave the
// host believing a dialog is still up.
#pragma once

namespace zarvento {

class ModalBracket {
public:
    ModalBracket();
    ~ModalBracket();
    ModalBracket(const ModalBracket&) = delete;
    ModalBracket& operator=(const ModalBracket&) = delete;
};

}  // namespace zarvento
