#include "PickList.h"

TPickList::TPickList(QWidget* parent) : QComboBox(parent) {
    // The keyboard and the mouse wheel activate only on a change, and change the index right
    // before; a pick from the open list activates in any case.
    connect(this, &QComboBox::currentIndexChanged, this, [this] { changed_ = true; });
    connect(this, &QComboBox::activated, this, [this] {
        const bool changed = changed_;
        changed_ = false;
        if (changed)
            emit changedByUser();
    });
}

void TPickList::showPopup() {
    // What the program changed before the list opened is no pick of the user's.
    changed_ = false;
    QComboBox::showPopup();
}
