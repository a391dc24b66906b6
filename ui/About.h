#pragma once

#include <QDialog>
#include <QPixmap>
#include <QString>

/// The modal "About..." box: a 32 x 32 icon (Image2), the version line (Label1), a 388 x 71
/// banner (Image1), the protocol line (Label3) and OK (Button1). OK and Escape both close it
/// with the result Accepted. Both pictures are drawn by the program.
class TAboutForm : public QDialog {
    Q_OBJECT

  public:
    explicit TAboutForm(QWidget* parent = nullptr);

    static constexpr int IconSize = 32;
    static constexpr int BannerWidth = 388;
    static constexpr int BannerHeight = 71;

    /// "Zelvo lab - " + the application title + " Control Software ver.20".
    static QString VersionLine();
    static QPixmap DrawIcon();
    static QPixmap DrawBanner();

    void reject() override;
};

/// The main window's About action: the box, modally.
void RunAboutAction(QWidget* parent);
