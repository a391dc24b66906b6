#pragma once

#include <QObject>

class QToolBar;

/// Shows the tool bar's captions beside their icons whenever the bar is wide enough for all of
/// them, and only the icons (the captions then in the tool tips) when it is not, so that no
/// button hides behind the bar's extension menu at the window's minimum width.
class ToolBarFit final : public QObject {
  public:
    explicit ToolBarFit(QToolBar& bar);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Fit();

    QToolBar& bar_;
    int captionsWidth_ = 0;  // the width the bar needs with every caption, measured once
};
