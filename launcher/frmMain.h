#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "controls/ResultPort.h"
#include "core/SettingsRecords.h"

class QAction;
class QPushButton;
class QTimer;

namespace lumora {

class ComboBox;
class DirectoryList;
class DriveList;
class FileList;
class InputHold;
class PictureBox;
class SparkleCanvas;
class StatusBar;
class frmSettings;
struct FormRuntime;

// The program's name: the main window's title and that of its messages.
inline QString programTitle() { return QStringLiteral("Lumora"); }

// The main window: game file browser, previews, launch, and the state the
// two windows share. After its start-up it makes no call of its own to the
// file system: folders, drives, screenshots, the emulator's start and the
// settings file are the business of workers, whose results it takes.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(FormRuntime& runtime);
    ~frmMain() override;

    // The start-up sequence, run once before the window is first shown. It
    // reads the settings file (the one wait for the file system the window
    // allows itself, so that it shows the stored state) and waits for no
    // folder: the lists fill in as their reads end, which begin once the
    // window has shown its first frame.
    void Form_Load();
    // What the start-up does after opening the settings file, run again after
    // "Close and Save".
    void Reload();

    void cmdSettings_Click();
    void cmdExit_Click();
    void cmdRun2_Click();
    void cboFileType_Click();
    void drvDrive_Change();
    void dirDirectory_Change();
    void filFiles_Click();
    void tmrTimer_Timer();

    // Writes all records on a worker, then runs `then` with whether they were
    // written (a failure has been reported by then). Meanwhile the windows
    // go on painting and take no input, so that nothing the user does comes
    // between the save and what follows it.
    void SaveRecord(const std::function<void(bool saved)>& then);
    // The same; a failure's report ends with `failureAdvice`.
    void SaveRecord(const QString& failureAdvice, const std::function<void(bool saved)>& then);
    // Puts the records as last read from or written to the settings file into
    // the windows. At start-up and after "Close and Save" both windows take
    // them. A settings window made anew after the user closed it through its
    // frame takes only its own: the main window stays as the user left it, so
    // that the game picked there is the one that runs and is saved.
    enum class LoadScope { BothWindows, SettingsWindow };
    void LoadRecord(LoadScope scope = LoadScope::BothWindows);
    void Subtract();
    void Pictures1();
    void Pictures2();

    // The one way to the settings window: it is created, hidden, and loaded
    // when it does not exist.
    frmSettings& settingsWindow();

    QString selectedPath() const { return selectedPath_; }
    QString fileNamePart() const { return fileNamePart_; }
    std::optional<int> sparkleFlag() const { return sparkleFlag_; }

    SparkleCanvas* canvas = nullptr;
    PictureBox* Picture1 = nullptr;
    PictureBox* Picture2 = nullptr;
    ComboBox* cboFileType = nullptr;
    DriveList* drvDrive = nullptr;
    DirectoryList* dirDirectory = nullptr;
    FileList* filFiles = nullptr;
    QPushButton* cmdRun2 = nullptr;
    QPushButton* cmdExit = nullptr;
    StatusBar* StatusBar1 = nullptr;
    QTimer* tmrTimer = nullptr;
    QAction* cmdSettings = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void placeControls();
    void connectControls();
    void closeAndSave();
    void loadPreview(PictureBox* box, int which);
    void warn(const QString& message);
    void letGoOfSettingsFile();

    FormRuntime& runtime_;
    QPointer<frmSettings> settings_;
    int fileHandle_ = 0;
    SettingsRecords stored_; // as last read from or written to the settings file
    QString selectedPath_;
    QString fileNamePart_;
    std::optional<int> sparkleFlag_;  // empty until the end of the start-up
    std::unique_ptr<InputHold> hold_; // while a save is on its way
    // Every operation on the settings file after the start-up's read, one
    // after another: a close can never overlap a save.
    SerialWorker fileWork_;
    ResultPort port_{this};
};

} // namespace lumora
