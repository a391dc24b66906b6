#pragma once

#include <QLabel>
#include <QStringList>
#include <QWidget>

#include <string>
#include <vector>

/// The connection panel: " OFF LINE ", or " ON LINE: " + identity + " (" + port + ") ". When
/// the text does not fit, the middle of the device path gives way, then what follows the model
/// while the path's ends still show; the model never does.
class TConnectionPanel final : public QLabel {
  public:
    explicit TConnectionPanel(QWidget* parent = nullptr);

    void ShowOffLine(const QString& text);
    void ShowOnLine(const QString& identity, const QString& port);
    /// A message of the program's (the status bar's temporary message) shows here in place of
    /// the connection text until it is cleared with an empty one; the readouts stay.
    void ShowMessage(const QString& message);
    /// The tool tip: why the port holds no station, or which station is on line. Empty shows
    /// the panel's whole text.
    void SetHint(const QString& hint);
    /// The whole text, whatever fits.
    const QString& fullText() const { return full_; }

    /// What the panel shows of `identity` and `port` in `width` pixels of `metrics`.
    static QString Fitted(const QFontMetrics& metrics, int width, const QString& identity,
                          const QString& port);
    /// The narrowest width that shows " OFF LINE " and " ON LINE: " with the model.
    static int MinimumWidth(const QFontMetrics& metrics);

    /// On line, as wide as the model and the end of the port; else the smallest width.
    QSize sizeHint() const override;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void Refit();

    QString full_;
    QString identity_;
    QString port_;
    QString message_;
    QString hint_;
    bool onLine_ = false;
};

/// The status bar's rows of sunken panels. Each panel added with its widest texts is exactly as
/// wide as the widest of them in the bar's font, so that its value and unit always show whole;
/// the connection panel opens the first row and takes the width that row leaves. Tool-bar and
/// menu hints never cover the panels: they are left to tool tips.
///
/// Readouts with something to show always show whole: when they do not fit beside the
/// connection panel's smallest width, they go on in a further row below. The other panels
/// claim the room the readouts leave in this order: a notice, then room for the connection
/// panel to show the model and the port's end, then empty readouts from the left, then extras;
/// a panel that finds no room hides until there is.
class TStatusPanels final : public QWidget {
  public:
    /// How a panel claims its room in a short row.
    enum class Claim { Readout, Notice, Extra };

    explicit TStatusPanels(QWidget* parent = nullptr);

    /// The connection panel, always the first.
    TConnectionPanel& connection() const { return *connection_; }
    /// Adds a panel sized for the widest of `widestTexts`; returns its index (1, 2, ...). A
    /// Notice is as wide as the text it shows instead, and wanted only while it has one.
    int AddPanel(const QStringList& widestTexts, Claim claim = Claim::Readout);
    int count() const { return static_cast<int>(panels_.size()); }
    QLabel& panel(int index) const { return *panels_.at(static_cast<std::size_t>(index)).label; }
    /// Sets what panel `index` shows and fits the row again.
    void SetText(int index, const QString& text);
    /// Whether panel `index` belongs in the row at all (a hidden trace's readout does not).
    void SetWanted(int index, bool wanted);
    /// The width a panel needs to show `text` whole in this row's font.
    int WidthFor(const QString& text) const;

  protected:
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    struct Panel {
        QLabel* label;
        QStringList widest;
        Claim claim;
        bool wanted = true;
    };
    void ApplyWidths();
    /// Shows the panels that have room, hides the others, and lays the shown ones out.
    void Fit();
    /// The row each panel goes in when those in `shown` show, left to right in the widget's
    /// width after `first` pixels of the connection panel; -1 for a panel that does not show.
    std::vector<int> RowsOf(const std::vector<bool>& shown, int first) const;
    /// Puts the panels in their `rows` and makes the widget as high as `rowCount` rows.
    void Place(const std::vector<int>& rows, int rowCount);

    TConnectionPanel* connection_;
    std::vector<Panel> panels_;
};
