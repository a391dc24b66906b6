#pragma once

#include <QLabel>
#include <QStringList>
#include <QWidget>

#include <string>
#include <vector>

/// The connection panel: " OFF LINE ", or " ON LINE: " + identity + " (" + port + ") ". When
/// the text does not fit, the middle of the device path gives way; the model never does.
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

/// The status bar's row of sunken panels. Each panel added with its widest texts is exactly as
/// wide as the widest of them in the bar's font, so that its value and unit always show whole;
/// the connection panel takes the width that is left. Tool-bar and menu hints never cover the
/// row: they are left to tool tips.
class TStatusPanels final : public QWidget {
  public:
    explicit TStatusPanels(QWidget* parent = nullptr);

    /// The connection panel, always the first.
    TConnectionPanel& connection() const { return *connection_; }
    /// Adds a panel sized for the widest of `widestTexts`; returns its index (1, 2, ...).
    int AddPanel(const QStringList& widestTexts);
    int count() const { return static_cast<int>(panels_.size()); }
    QLabel& panel(int index) const { return *panels_.at(static_cast<std::size_t>(index)); }
    /// The width a panel needs to show `text` whole in this row's font.
    int WidthFor(const QString& text) const;

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void ApplyWidths();

    TConnectionPanel* connection_;
    std::vector<QLabel*> panels_;
    std::vector<QStringList> widest_;
};
