// TurnKindPanel<Kind>: the operation panel of one operation class with the
// copy hooks filled: it copies the plan's operation into its own operation
// part with the kind's copy assignment when it is made, and back when the
// user accepts. A kind's own panel derives from it and adds its controls.
#pragma once

#include "operation_panels/turn_panel.h"

namespace zarvento {

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
    void CopyToTurn() override { *original_ = static_cast<const Kind&>(*this); }

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
