#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <optional>

class QColorDialog;
class QDialogButtonBox;
class QFontDialog;
class QPushButton;

// The terminal's font together with its text colour.
struct TerminalFont {
    QFont font;
    QColor color;
};

// Chooses the terminal's font and text colour in one dialog: Qt's font fields, a colour button
// beside them and one OK and Cancel for both. Qt's own font dialog has no colour field.
class TTerminalFontDialog : public QDialog {
    Q_OBJECT

public:
    TTerminalFontDialog(const QFont& font, const QColor& color, QWidget* parent = nullptr);

    // Shows the dialog modally; the choice when the user confirms, nothing when they cancel.
    static std::optional<TerminalFont> choose(const QFont& font, const QColor& color,
                                              QWidget* parent);

    // What the fields hold now, confirmed or not.
    TerminalFont current() const;
    // The choice once the dialog was confirmed; nothing before that or after a cancel.
    std::optional<TerminalFont> chosen() const;

    QFontDialog* FontFields = nullptr;
    QPushButton* ColorButton = nullptr;
    QColorDialog* ColorChooser = nullptr;
    QDialogButtonBox* Buttons = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setColor(const QColor& color);

    QColor color_;
};
