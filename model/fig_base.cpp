// CFigBase: the figure with its point.
#include "model/fig_base.h"

namespace zarvento {

void CFigBase::Erase() {
    CTessellationObject::Erase();
    point.Erase();
}

void CFigBase::Show() {
    CTessellationObject::Show();
    point.Show();
}

void CFigBase::Hide() {
    CTessellationObject::Hide();
    point.Hide();
}

}  // namespace zarvento
