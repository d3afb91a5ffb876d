// TurnKindPanel<Kind>: the operation panel of one operation class with the
// copy hooks filled: it copies the plan's operation into its own operation
// part with the kind's copy assignment when it is made, and back when the
// user accepts. A kind's own panel derives from it and adds its controls.
#pragma once

#include "operation_panels/turn_panel.h"
#include "platform/core/check.h"
#include "platform/core/messages.h"

namespace zarvento {

// The panel's message when the copy of the operation's parameters broke an
// invariant of its own.
inline constexpr const char* kBrokenCopyMessage = "Параметры операции не переданы";

template <class Kind>
class TurnKindPanel : public CTurnPanel, public Kind {
public:
    // The kind's name is the name a new operation of the kind has, before
    // the copy takes the plan's operation's.
    explicit TurnKindPanel(Kind& original) : original_(&original) {
        this->kindName = this->sNameTurn;
        TurnKindPanel::CopyFromTurn();
    }

    CTurn* GetOriginalTurn() override { return original_; }
    void CopyFromTurn() override { static_cast<Kind&>(*this) = *original_; }
    // The copy is of the original's kind (the kind's copy assignment keeps
    // it): otherwise nothing goes back and the panel says why.
    void CopyToTurn() override {
        if (ZARVENTO_NEVER(this->kind != original_->kind))
            return static_cast<void>(HostMessageBox(BrokenInvariantText(kBrokenCopyMessage), CTurn::kCaption, MB_OK_));
        *original_ = static_cast<const Kind&>(*this);
    }

    // Runs the panel on an operation of the kind: 1 after OK.
    static int Edit(CTurn& turn) {
        auto* original = dynamic_cast<Kind*>(&turn);
        if (!original) return CTurnPanel::EditPlain(turn);
        TurnKindPanel panel(*original);
        return panel.ShowModal() == 1 ? 1 : 0;
    }

private:
    Kind* original_;
};

}  // namespace zarvento
