#pragma once

#include <QDialog>

// The About box: program name, version, the maker's notice and web address.
class TfAbout : public QDialog {
    Q_OBJECT

public:
    explicit TfAbout(QWidget* parent = nullptr);
};
