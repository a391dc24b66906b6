// The main window's file actions: data files and parameter files through their dialogs.
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "core/Paramsync.h"
#include "files/Datafile.h"
#include "files/Sampleperiod.h"
#include "ui/Filedialog.h"
#include "ui/Graphview.h"
#include "ui/Main.h"
#include "ui/Referenceview.h"
#include "ui/Tracelegend.h"
#include "ui/Waitcursor.h"

namespace {

const QString DataFilter = QStringLiteral("Data file (*.dat);;All files (*)");
const QString ParamsFilter = QStringLiteral("Params file (*.par);;All files (*)");
// Opening a parameter file that does not exist loads every default.
constexpr bool AllowNewName = true;

}  // namespace

void TMainForm::RememberDataFile(const QString& path) {
    const QFileInfo info(path);
    config_.dataDir = info.absolutePath().toStdString() + "/";
    fileName_ = info.fileName().toStdString();
}

void TMainForm::ShowFileCaption() {
    setWindowTitle(QStringLiteral("Tavolin - ") + QString::fromStdString(fileName_));
}

void TMainForm::OpenAction() {
    const QString path =
        AskFileName(this, QFileDialog::AcceptOpen, QStringLiteral("Open Data File"),
                    config_.dataDir, "", DataFilter, QStringLiteral("dat"));
    if (path.isEmpty()) return;
    repaint();
    OpenDataFile(path);
}

void TMainForm::OpenDataFile(const QString& path) {
    datafile::LoadedFile loaded;
    {
        WaitCursor wait;
        loaded = datafile::LoadDataFile(path.toStdString());
    }
    // A file that cannot be read replaces nothing: the log, its name and journal stay.
    if (!loaded.result.ok) {
        QMessageBox::critical(this, QStringLiteral("Tavolin"),
                              QString::fromStdString(datafile::FailureText(loaded.result)));
        return;
    }
    if (!MayDiscardLog()) return;
    std::string eventsError;
    {
        WaitCursor wait;
        acquisition().Stop();
        RememberDataFile(path);
        legend_->SetVisibility(loaded.visible);
        ShowTraces(loaded.visible);
        store() = *loaded.store;
        // The log it held is gone, so is what was unsaved of it.
        core_->journal().Discard();
        // The file's period is the log's time base only: the poll keeps the period that
        // Settings set.
        acquisition().LogLoaded(loaded.result.samplePeriodMs.value_or(config_.samplePeriodMs));
        ShowRecordPeriod();
        graph_->SetCursorB(std::nullopt);
        try {
            core_->changelog() =
                Changelog::LoadBeside(path.toStdString(), acquisition().recordPeriodMs());
        } catch (const std::runtime_error& e) {
            // The samples are fine without their marks; say why they are missing.
            core_->changelog().Clear();
            eventsError = e.what();
        }
        graph_->SetPos(0);
        graph_->RepaintAll();
    }
    ShowFileCaption();
    if (!eventsError.empty()) {
        QMessageBox::warning(this, QStringLiteral("Tavolin"), QString::fromStdString(eventsError));
    }
    if (loaded.result.droppedRows > 0) {
        QMessageBox::warning(this, QStringLiteral("Tavolin"),
                             QStringLiteral("The file holds %1 samples more than the log can keep; "
                                            "the first %2 were loaded.")
                                 .arg(loaded.result.droppedRows)
                                 .arg(TraceCapacity));
    }
}

void TMainForm::OpenReferenceAction() {
    const QString path =
        AskFileName(this, QFileDialog::AcceptOpen, QStringLiteral("Open Reference"),
                    config_.dataDir, "", DataFilter, QStringLiteral("dat"));
    if (path.isEmpty()) return;
    OpenReference(path);
}

void TMainForm::OpenReference(const QString& path) {
    datafile::LoadedFile loaded = datafile::LoadDataFile(path.toStdString());
    if (!loaded.result.ok) {
        QMessageBox::critical(this, QStringLiteral("Tavolin"),
                              QString::fromStdString(datafile::FailureText(loaded.result)));
        return;
    }
    referencePeriodMs_ = loaded.result.samplePeriodMs.value_or(config_.samplePeriodMs);
    reference_->Set(std::move(loaded.store), loaded.visible);
    graph_->RefreshOverlays();
    RefreshAnalysis();
}

bool TMainForm::SaveDataFileAs() {
    const QString path =
        AskFileName(this, QFileDialog::AcceptSave, QStringLiteral("Save Data File"),
                    config_.dataDir, fileName_, DataFilter, QStringLiteral("dat"));
    if (path.isEmpty()) return false;
    repaint();
    return SaveDataFile(path);
}

bool TMainForm::SaveDataFile(const QString& path) {
    datafile::SaveResult saved;
    {
        WaitCursor wait;
        // The period the log stands for: what it achieved when the line could not keep up.
        saved = datafile::SaveDataFile(path.toStdString(), store(), legend_->visibility(),
                                       acquisition().recordPeriodMs());
    }
    if (!saved.ok) {
        // The caption and the next Save's name stay with the file the log was last saved to.
        QMessageBox::critical(this, QStringLiteral("Tavolin"),
                              QString::fromStdString(datafile::FailureText(saved)));
        return false;
    }
    RememberDataFile(path);
    ShowFileCaption();
    core_->journal().Discard();  // nothing of the log is unsaved now
    try {
        core_->changelog().SaveBeside(path.toStdString(), acquisition().recordPeriodMs());
    } catch (const std::runtime_error& e) {
        // The samples are saved; only their marks are not.
        QMessageBox::critical(this, QStringLiteral("Tavolin"), QString::fromStdString(e.what()));
    }
    return true;
}

void TMainForm::OpenParamsAction() {
    const QString path =
        AskFileName(this, QFileDialog::AcceptOpen, QStringLiteral("Open Params File"),
                    config_.dataDir, "", ParamsFilter, QStringLiteral("par"), AllowNewName);
    if (path.isEmpty()) return;
    config_.dataDir = QFileInfo(path).absolutePath().toStdString() + "/";
    OpenParamFile(*core_, path.toStdString());
}

void TMainForm::SaveParamsAction() {
    const QString path =
        AskFileName(this, QFileDialog::AcceptSave, QStringLiteral("Save Params File"),
                    config_.dataDir, "Params1", ParamsFilter, QStringLiteral("par"));
    if (path.isEmpty()) return;
    config_.dataDir = QFileInfo(path).absolutePath().toStdString() + "/";
    SaveParamFile(*core_, path.toStdString());
}

void TMainForm::ApplySamplePeriod(int ms) {
    ms = sampleperiod::OrDefault(ms);
    config_.samplePeriodMs = ms;
    // The poll follows too, so that what is recorded next is really i x period apart; a
    // recording under way keeps its own period until Stop.
    acquisition().SetSamplePeriod(ms);
    schedule_.SetPeriod(std::chrono::milliseconds(acquisition().pollPeriodMs()));
    ShowRecordPeriod();
    UpdateJournalLayout();
}
