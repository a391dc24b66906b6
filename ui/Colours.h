#pragma once

#include <QDialog>

#include <array>
#include <functional>

#include "traces/Colours.h"

class QFrame;
class QGridLayout;

/// The modal "Colours..." dialog over the main window's eight graph colours: a swatch (pnBg,
/// pnAx, ... pnG4) and a "..." button (btBg, ... btG4) per slot. Picking only changes the
/// swatch; Apply puts the swatches into the window's colours and redraws; Set Default puts
/// the default colours into the window's colours (no redraw) and the swatches. OK keeps the
/// swatches; every other way out (Cancel, Escape, the close box) brings back the colours
/// found at the opening. Either way the window's colours are set and redrawn once more as
/// the dialog closes.
class TColoursForm : public QDialog {
    Q_OBJECT

  public:
    /// `colours` are the window's slots, written directly; `redraw` repaints the whole graph
    /// with them.
    TColoursForm(colours::ColourSet& colours, std::function<void()> redraw,
                 QWidget* parent = nullptr);

    /// What the swatches show, in slot order.
    const colours::ColourSet& swatches() const { return swatches_; }

    void done(int result) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void AddSlotRow(QGridLayout* grid, colours::ColourSlot slot);
    QWidget* BuildButtons();
    void Pick(int slot);
    void ShowSwatch(int slot);
    void Apply();
    void SetDefault();
    void Ok();

    colours::ColourSet& colours_;
    std::function<void()> redraw_;
    colours::ColourSet saved_;
    colours::ColourSet swatches_;
    std::array<QFrame*, colours::ColourCount> panels_{};
};

/// The main window's Colours action: the dialog, modally.
void RunColoursAction(colours::ColourSet& colours, std::function<void()> redraw, QWidget* parent);
