#pragma once

#include <QGroupBox>

class QAction;
class QLineEdit;
class QMenu;

// The group "Quick Value Search": the search string, the scan format, the factors a and b, and the
// large result field eValue with its context menu.
class TQuickValueSearchPanel : public QGroupBox {
    Q_OBJECT

public:
    explicit TQuickValueSearchPanel(QWidget* parent = nullptr);

    QLineEdit* eSearcString = nullptr;
    QLineEdit* eFormatIdentifier = nullptr;
    QLineEdit* eAX = nullptr;
    QLineEdit* eB = nullptr;
    QLineEdit* eValue = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* PopupMenu11 = nullptr;
};
