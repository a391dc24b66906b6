// The About box: its texts, its two drawn pictures and the ways it closes.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <set>

#include "ui/About.h"

namespace {

QLabel& Label(QWidget& form, const char* name) {
    return *form.findChild<QLabel*>(QString::fromLatin1(name));
}

/// How many different colours a picture holds: a drawn picture is not one flat colour.
int Colours(const QPixmap& pixmap) {
    const QImage image = pixmap.toImage();
    std::set<QRgb> seen;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) seen.insert(image.pixel(x, y));
    }
    return static_cast<int>(seen.size());
}

TEST(AboutForm, showsTheVersionLineTheProtocolAndBothPictures) {
    TAboutForm form;
    EXPECT_EQ(form.windowTitle(), "About...");
    EXPECT_EQ(Label(form, "Label1").text(), "Zelvo lab - Tavolin Control Software ver.20");
    EXPECT_EQ(Label(form, "Label3").text(), "This program uses Wake serial protocol.");
    EXPECT_EQ(form.findChild<QPushButton*>("Button1")->text(), "OK");

    struct Case {
        const char* name;
        QSize size;
    };
    for (const Case& c : {Case{"Image2", QSize(32, 32)}, Case{"Image1", QSize(388, 71)}}) {
        const QPixmap picture = Label(form, c.name).pixmap();
        EXPECT_EQ(picture.size(), c.size) << c.name;
        EXPECT_GT(Colours(picture), 8) << c.name;
    }
}

TEST(AboutForm, okEscapeAndTheCloseBoxAllEndWithOk) {
    const std::function<void(TAboutForm&)> ways[] = {
        [](TAboutForm& f) { f.findChild<QPushButton*>("Button1")->click(); },
        [](TAboutForm& f) { QTest::keyClick(&f, Qt::Key_Escape); },
        [](TAboutForm& f) { f.close(); },
    };
    int way = 0;
    for (const auto& leave : ways) {
        TAboutForm form;
        form.show();
        leave(form);
        EXPECT_FALSE(form.isVisible()) << way;
        EXPECT_EQ(form.result(), QDialog::Accepted) << way;
        ++way;
    }
}

}  // namespace
