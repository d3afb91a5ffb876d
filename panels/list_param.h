// CListParam: the parameter list of the cycle-parameter dialog and of the
// cost estimate's pages. It knows its owner and what kind of owner it is, and
// hands a parameter dialog the notifications of the editors over its rows; a
// cost page takes none of them (its values are evaluated on a tab change).
#pragma once

namespace zarvento {

class CDialogParam;

class CListParam {
public:
    enum class Owner { ParameterDialog, CostPage };

    CListParam(CDialogParam& owner, Owner kind) : owner_(&owner), kind_(kind) {}

    // Ids of the editors over the rows whose notifications the list passes on.
    static constexpr int kFirstEditorId = 200;
    static constexpr int kLastEditorId = 10000;

    // A notification of an editor over the rows (got focus, lost focus, a
    // choice or a click); true when it was the list's to answer.
    bool Notify(int controlId, int code);
    // The list scrolled so that `firstRow` is the first row shown.
    void Scrolled(int firstRow);

    Owner Kind() const { return kind_; }
    CDialogParam& OwnerDialog() const { return *owner_; }

private:
    CDialogParam* owner_;
    Owner kind_;
};

}  // namespace zarvento
