// CPage: one cost item on a page of the cost estimate: the parameter list of
// the cycle-parameter dialog over the page's own copy of the item, inside the
// estimate's dialog. Its values are evaluated when the page opens and on
// every change of tab; the edits alone evaluate nothing.
#pragma once

#include "panels/dialog_param.h"

namespace zarvento {

class CDialogCalculate;

class CPage : public CDialogParam {
public:
    static constexpr int kTemplate = 1421;

    // The page's controls go into the estimate's dialog, `idBase` above their ids.
    CPage(CCycle_Auto& item, CDialogCalculate& dialog, int idBase);

    // The page's window: the list, its rows and editors, its values.
    void Create();
    // Takes the edits, evaluates every formula and shows the values.
    void Evaluate();

    CDialogCalculate& Dialog() const { return *dialog_; }
    int Base() const { return base_; }

private:
    CDialogCalculate* dialog_;
    int base_;
};

}  // namespace zarvento
