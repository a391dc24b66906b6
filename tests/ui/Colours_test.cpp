// The Colours dialog over a window's colour slots: what the window holds and what the graph is
// redrawn with after each way through the dialog.
#include <gtest/gtest.h>

#include <QColorDialog>
#include <QFrame>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <string>
#include <vector>

#include "ui/Colours.h"
#include "tests/ui/Onmodal.h"

namespace {

using colours::ColourSet;

// Not the defaults, so that every restore is visible.
constexpr ColourSet Initial = {0x101010, 0x202020, 0x303030, 0x404040,
                               0x505050, 0x606060, 0x707070, 0x808080};

/// The window's side: its slots and the colours each redraw used.
struct Window {
    ColourSet colours = Initial;
    std::vector<ColourSet> redraws;
    std::function<void()> Redraw() {
        return [this] { redraws.push_back(colours); };
    }
};

QPushButton& Button(QWidget& form, const char* name) {
    return *form.findChild<QPushButton*>(QString::fromLatin1(name));
}

/// Clicks the slot's "..." button and picks `rgb` in the colour picker, or cancels it.
void PickWithButton(TColoursForm& form, const char* button, QColor rgb, bool confirm = true) {
    OnModal<QColorDialog> picker([&](QColorDialog& dialog) {
        EXPECT_EQ(dialog.currentColor(), QColor(0x60, 0x60, 0x60)) << "starts at the swatch";
        dialog.setCurrentColor(rgb);
        if (confirm) {
            dialog.accept();
        } else {
            dialog.reject();
        }
    });
    Button(form, button).click();
    ASSERT_EQ(picker.seen(), 1);
}

TEST(ColoursForm, swatchesShowTheSlotsInRedGreenBlueOrder) {
    Window window;
    window.colours = colours::Defaults;
    TColoursForm form(window.colours, window.Redraw());
    EXPECT_EQ(form.windowTitle(), "Colours...");
    struct Case {
        const char* panel;
        QColor shown;
    };
    const Case cases[] = {
        {"pnBg", QColor(255, 255, 255)}, {"pnAx", QColor(212, 212, 212)},
        {"pnTx", QColor(72, 72, 72)},    {"pnCr", QColor(0, 0, 0)},
        {"pnG1", QColor(0, 128, 0)},     {"pnG2", QColor(255, 0, 0)},
        {"pnG3", QColor(255, 128, 64)},  {"pnG4", QColor(0, 0, 255)},
    };
    for (const Case& c : cases) {
        const QFrame* panel = form.findChild<QFrame*>(c.panel);
        ASSERT_NE(panel, nullptr) << c.panel;
        EXPECT_EQ(panel->palette().color(QPalette::Window), c.shown) << c.panel;
    }
    for (const char* name : {"btBg", "btAx", "btTx", "btCr", "btG1", "btG2", "btG3", "btG4"}) {
        EXPECT_EQ(Button(form, name).text(), "...") << name;
    }
    EXPECT_TRUE(window.redraws.empty());
}

TEST(ColoursForm, pickingChangesOnlyTheSwatchAndACancelledPickerNothing) {
    Window window;
    TColoursForm form(window.colours, window.Redraw());
    PickWithButton(form, "btG2", QColor(1, 2, 3), false);
    EXPECT_EQ(form.swatches(), Initial);
    PickWithButton(form, "btG2", QColor(1, 2, 3));
    ColourSet expected = Initial;
    expected[colours::Graph2] = colours::FromRgb({1, 2, 3});
    EXPECT_EQ(form.swatches(), expected);
    EXPECT_EQ(form.findChild<QFrame*>("pnG2")->palette().color(QPalette::Window), QColor(1, 2, 3));
    EXPECT_EQ(window.colours, Initial) << "the window's colours wait for Apply or OK";
    EXPECT_TRUE(window.redraws.empty());
}

TEST(ColoursForm, doubleClickOnASwatchOpensThePicker) {
    Window window;
    TColoursForm form(window.colours, window.Redraw());
    form.show();
    OnModal<QColorDialog> picker([](QColorDialog& dialog) {
        dialog.setCurrentColor(QColor(9, 8, 7));
        dialog.accept();
    });
    QTest::mouseDClick(form.findChild<QFrame*>("pnCr"), Qt::LeftButton);
    ASSERT_EQ(picker.seen(), 1);
    EXPECT_EQ(form.swatches()[colours::Cursor], colours::FromRgb({9, 8, 7}));
}

TEST(ColoursForm, onlyOkKeepsTheNewColoursWhicheverWayTheDialogIsLeft) {
    const ColourSet picked = [] {
        ColourSet p = Initial;
        p[colours::Graph2] = colours::FromRgb({1, 2, 3});
        return p;
    }();
    struct Case {
        std::string name;
        bool setDefault;
        bool apply;
        std::function<void(TColoursForm&)> leave;
        ColourSet kept;
        std::vector<ColourSet> redraws;
    };
    const auto ok = [](TColoursForm& f) { Button(f, "btOk").click(); };
    const auto cancel = [](TColoursForm& f) { Button(f, "btCancel").click(); };
    const auto escape = [](TColoursForm& f) { QTest::keyClick(&f, Qt::Key_Escape); };
    const auto closeBox = [](TColoursForm& f) { f.close(); };
    const std::vector<Case> cases = {
        {"Set Default, Cancel", true, false, cancel, Initial, {Initial}},
        {"Set Default, OK", true, false, ok, colours::Defaults, {colours::Defaults}},
        {"Apply, Cancel", false, true, cancel, Initial, {picked, Initial}},
        {"Apply, Escape", false, true, escape, Initial, {picked, Initial}},
        {"Apply, close box", false, true, closeBox, Initial, {picked, Initial}},
        {"Apply, OK", false, true, ok, picked, {picked, picked}},
        {"pick, OK", false, false, ok, picked, {picked}},
    };
    for (const Case& c : cases) {
        Window window;
        TColoursForm form(window.colours, window.Redraw());
        form.show();
        if (c.setDefault) {
            Button(form, "btDefault").click();
            EXPECT_EQ(window.colours, colours::Defaults) << c.name << ": at once";
            EXPECT_EQ(form.swatches(), colours::Defaults) << c.name;
            EXPECT_TRUE(window.redraws.empty()) << c.name << ": without a redraw";
        } else {
            PickWithButton(form, "btG2", QColor(1, 2, 3));
        }
        if (c.apply) {
            Button(form, "btApply").click();
            EXPECT_EQ(window.colours, picked) << c.name;
        }
        c.leave(form);
        EXPECT_FALSE(form.isVisible()) << c.name;
        EXPECT_EQ(window.colours, c.kept) << c.name;
        EXPECT_EQ(window.redraws, c.redraws) << c.name;
    }
}

TEST(ColoursForm, okWithoutChangesRedrawsOnceWithTheSameColours) {
    Window window;
    TColoursForm form(window.colours, window.Redraw());
    form.show();
    Button(form, "btOk").click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(window.colours, Initial);
    EXPECT_EQ(window.redraws, std::vector<ColourSet>{Initial});
}

}  // namespace
