#pragma once

#include <QComboBox>

// A drop-down list that tells a change of selection made by the user from a pick of the item it
// already shows: QComboBox::activated fires on both when the user picks from the open list.
// Changes the program makes are never reported.
class TPickList : public QComboBox {
    Q_OBJECT

public:
    explicit TPickList(QWidget* parent = nullptr);

    void showPopup() override;

signals:
    void changedByUser();

private:
    // Whether the selection changed since the user last opened the list or picked from it.
    bool changed_ = false;
};
