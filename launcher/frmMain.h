#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <optional>

class QAction;
class QPushButton;
class QTimer;

namespace lumora {

class ComboBox;
class DirectoryList;
class DriveList;
class FileList;
class PictureBox;
class SparkleCanvas;
class StatusBar;
class frmSettings;
struct FormRuntime;

// The program's name: the main window's title and that of its messages.
inline QString programTitle() { return QStringLiteral("Lumora"); }

// The main window: game file browser, previews, launch, and the state the
// two windows share.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(FormRuntime& runtime);
    ~frmMain() override;

    // The start-up sequence, run once before the window is first shown.
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

    // Returns false when writing the file failed; the error has been reported.
    bool SaveRecord();
    // At start-up and after "Close and Save" both windows take the stored
    // values. A settings window made anew after the user closed it through
    // its frame takes only its own: the main window stays as the user left
    // it, so that the game picked there is the one that runs and is saved.
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

    FormRuntime& runtime_;
    QPointer<frmSettings> settings_;
    int fileHandle_ = 0;
    QString selectedPath_;
    QString fileNamePart_;
    std::optional<int> sparkleFlag_; // empty until the end of the start-up
};

} // namespace lumora
