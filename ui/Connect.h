#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QTreeWidget;
class TWakeCom;

/// "Connect...": lists every serial port with the identity of the station that answered on
/// it, or "None" (a tool tip there says why the port holds no station), and lets the user pick
/// one. Its columns show whole paths and identities; the form opens wide enough for them and
/// may be resized, never below its design size. OK or a double-click writes the chosen port's
/// name to the result; Cancel and Escape leave it empty.
class TConnectForm : public QDialog {
    Q_OBJECT

  public:
    /// Scans the ports (the machine's and `extraPorts`) with `link` before showing.
    TConnectForm(TWakeCom& link, const std::vector<std::string>& extraPorts, std::string& result,
                 QWidget* parent = nullptr);

    QTreeWidget* list() const { return devList_; }

  private:
    void Accept();
    /// Columns as wide as their contents, the form as wide as the columns (within the screen).
    void FitColumns();

    std::string& result_;
    QTreeWidget* devList_;
};
