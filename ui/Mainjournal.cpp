// The main window's recording journal: its claim at start, the recovery question, and the
// window's changes that the journal follows.
#include <QMessageBox>
#include <QStatusBar>
#include <ctime>

#include "files/Journalwriter.h"
#include "ui/Graphview.h"
#include "ui/Main.h"
#include "ui/Tracelegend.h"
#include "ui/Waitcursor.h"

namespace {

// Long enough to be read, short enough not to hide the connection panel for good.
constexpr int JournalMessageMs = 15000;

const QString RecoveredCaption = QStringLiteral("Tavolin - recovered recording (not saved)");

}  // namespace

bool TMainForm::KeepJournal(const std::filesystem::path& folder) {
    try {
        journalClaim_.emplace(journal::Claim::Take(folder));
    } catch (const journal::JournalError& e) {
        ShowJournalError(std::string("Recording journal: ") + e.what());
        return false;
    }
    std::error_code ec;
    journalLeft_ = std::filesystem::exists(journalClaim_->dataFile(), ec);
    if (!journalLeft_) StartJournal();
    return journalLeft_;
}

void TMainForm::OfferRecovery() {
    if (!journalLeft_) return;
    journalLeft_ = false;
    const auto answer = QMessageBox::question(
        this, QStringLiteral("Tavolin"),
        QStringLiteral("A recording was not saved when Tavolin last closed. Open it?"),
        QMessageBox::Yes | QMessageBox::No);
    if (answer == QMessageBox::Yes && RecoverJournal()) {
        StartJournal();
        core_->journal().Adopt(store());
        return;
    }
    try {
        journal::SetAside(*journalClaim_, std::time(nullptr));
    } catch (const journal::JournalError& e) {
        // Recording over it would lose it: this run goes without a journal.
        ShowJournalError(std::string("Recording journal: ") + e.what());
        return;
    }
    StartJournal();
}

std::filesystem::path TMainForm::journalFile() const {
    return journalClaim_ ? journalClaim_->dataFile() : std::filesystem::path();
}

void TMainForm::StartJournal() {
    core_->journal().Keep(std::make_unique<JournalWriter>(journalClaim_->dataFile()));
    UpdateJournalLayout();
}

bool TMainForm::RecoverJournal() {
    acquisition().Stop();
    journal::Recovered recovered;
    {
        WaitCursor wait;
        recovered = journal::Recover(journalClaim_->dataFile(), store());
    }
    if (!recovered.ok) {
        QMessageBox::critical(this, QStringLiteral("Tavolin"), QStringLiteral("Bad file format."));
        return false;
    }
    legend_->SetVisibility(recovered.visible);
    ShowTraces(recovered.visible);
    if (recovered.samplePeriodMs) ApplySamplePeriod(*recovered.samplePeriodMs);
    // The recovered log stands for the journal's period, as a loaded file for its own.
    acquisition().LogLoaded(recovered.samplePeriodMs.value_or(config_.samplePeriodMs));
    ShowRecordPeriod();
    try {
        core_->changelog() =
            Changelog::LoadBeside(journalClaim_->dataFile(), acquisition().recordPeriodMs());
    } catch (const std::runtime_error& e) {
        // The samples are back without their marks; say why.
        core_->changelog().Clear();
        QMessageBox::warning(this, QStringLiteral("Tavolin"), QString::fromStdString(e.what()));
    }
    graph_->SetPos(0);
    graph_->RepaintAll();
    store().setModified(true);
    fileName_.clear();
    setWindowTitle(RecoveredCaption);
    return true;
}

std::array<bool, TraceCount> TMainForm::visibleTraces() const {
    return legend_->visibility();
}

void TMainForm::UpdateJournalLayout() {
    core_->journal().SetLayout(store(), visibleTraces(), acquisition().recordPeriodMs());
}

void TMainForm::ShowJournalError(const std::string& message) {
    statusBar()->showMessage(QString::fromStdString(message + "; recording goes on."),
                             JournalMessageMs);
}
