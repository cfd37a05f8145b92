// The terminal's font and colour dialog: a choice only on OK.
#include <gtest/gtest.h>

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "TerminalFontDialog.h"

namespace {

class FontDialog : public ::testing::Test {
protected:
    // Changes every field: face, size, style and colour.
    void changeEverything() {
        QFont serif(QStringLiteral("Liberation Serif"), 16);
        serif.setBold(true);
        serif.setItalic(true);
        dialog.FontFields->setCurrentFont(serif);
        dialog.ColorButton->click();
        ASSERT_TRUE(dialog.ColorChooser->isVisible());
        dialog.ColorChooser->setCurrentColor(kPicked);
        dialog.ColorChooser->accept();
    }

    const QColor kPicked = QColor(200, 10, 30);
    const QFont loaded = QFont(QStringLiteral("DejaVu Sans Mono"), 11);
    TTerminalFontDialog dialog{loaded, QColor(Qt::darkGreen)};
};

TEST_F(FontDialog, OkGivesTheChangedFontAndColour) {
    dialog.show();
    changeEverything();
    dialog.Buttons->button(QDialogButtonBox::Ok)->click();
    const std::optional<TerminalFont> chosen = dialog.chosen();
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->font.family(), QStringLiteral("Liberation Serif"));
    EXPECT_EQ(chosen->font.pointSize(), 16);
    EXPECT_TRUE(chosen->font.bold());
    EXPECT_TRUE(chosen->font.italic());
    EXPECT_EQ(chosen->color, kPicked);
}

// Escape in the embedded fields would close only them; it must cancel the whole dialog.
TEST_F(FontDialog, CancelOrEscapeAfterChangesGivesNothing) {
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    for (const auto& cancel :
         {std::function<void()>(
              [this] { dialog.Buttons->button(QDialogButtonBox::Cancel)->click(); }),
          std::function<void()>(
              [this] { QTest::keyClick(dialog.FontFields->focusWidget(), Qt::Key_Escape); })}) {
        dialog.show();
        changeEverything();
        cancel();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_FALSE(dialog.chosen());
        EXPECT_FALSE(dialog.FontFields->isHidden());
    }
}

// A face asked for by a name no installed face has, or a style the face calls otherwise, is offered
// as what renders, so OK without a change keeps the look.
TEST(FontDialogLoading, OkWithoutChangesKeepsTheRenderedFont) {
    const struct {
        const char* family;
        bool bold, italic;
    } cases[] = {{"NoSuchFaceAnywhere", false, false},
                 {"NoSuchFaceAnywhere", true, false},
                 {"DejaVu Sans Mono", false, false},
                 {"Liberation Serif", false, true}};
    for (const auto& c : cases) {
        QFont terminal(QLatin1String(c.family));
        terminal.setStyleHint(QFont::TypeWriter);
        terminal.setPixelSize(19);
        terminal.setBold(c.bold);
        terminal.setItalic(c.italic);
        TTerminalFontDialog dialog(terminal, Qt::black);
        dialog.show();
        dialog.Buttons->button(QDialogButtonBox::Ok)->click();
        const std::optional<TerminalFont> chosen = dialog.chosen();
        ASSERT_TRUE(chosen);
        const QFontInfo before(terminal), after(chosen->font);
        SCOPED_TRACE(c.family);
        EXPECT_EQ(after.family(), before.family());
        EXPECT_EQ(after.pointSize(), before.pointSize());
        EXPECT_EQ(after.bold(), c.bold);
        EXPECT_EQ(after.italic(), c.italic);
        EXPECT_EQ(chosen->color, QColor(Qt::black));
    }
}

}  // namespace
