#include "launcher/frmMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

#include "controls/ComboBox.h"
#include "controls/DirectoryList.h"
#include "controls/DriveList.h"
#include "controls/FileList.h"
#include "controls/FormFont.h"
#include "controls/FormRuntime.h"
#include "controls/InputHold.h"
#include "controls/NativeText.h"
#include "controls/PictureBox.h"
#include "controls/SparkleCanvas.h"
#include "controls/StatusBar.h"
#include "controls/Twips.h"
#include "core/Launch.h"
#include "core/PathRules.h"
#include "core/PreviewPath.h"
#include "core/SettingsRecords.h"
#include "core/SparklePoint.h"
#include "core/platform/ShortPath.h"
#include "launcher/ProgramStart.h"
#include "settings/frmSettings.h"

namespace lumora {

namespace {

// The status bar panel that shows the selected path.
const QString textPanelKey = QStringLiteral("text");

QString describe(const RuntimeError& e)
{
    return QString::fromUtf8(e.description().data(), qsizetype(e.description().size()));
}

QString listingFailure(const QString& directory, const RuntimeError& e)
{
    return QStringLiteral("The files of \"%1\" cannot be listed: %2.").arg(shownPath(directory), describe(e));
}

// What a save brings back from its worker.
struct Saved {
    std::vector<UnkeptText> unkept;
    SettingsRecords records; // as the file holds them now
};

// Why a text was stored empty, naming the setting it belongs to.
QString unkeptMessage(const UnkeptText& unkept, const SettingsRecords& records)
{
    static const std::array<const char*, 3> settings = {"The picked game file", "The screen shot directory",
                                                        "The browsed directory"};
    const std::size_t text = std::size_t(unkept.record - 1);
    const QString why =
        unkept.reason == UnkeptText::TooLong
            ? QStringLiteral("it is longer than the %1 bytes the settings file holds for it").arg(maxStringBytes)
            : QStringLiteral("it holds characters that the settings file cannot store");
    return QStringLiteral("%1 could not be saved, because %2:\n\n%3\n\nIt has been stored empty.")
        .arg(QString::fromLatin1(settings.at(text)), why, shownPath(textFromNative(records.*textRecords.at(text))));
}

} // namespace

frmMain::frmMain(FormRuntime& runtime) : runtime_(runtime)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(programTitle());
    setFont(formDefaultFont());
    createControls();
    placeControls();
    connectControls();
}

frmMain::~frmMain()
{
    // The settings window has no owner, so it is not a child to delete.
    delete settings_.data();
}

void frmMain::createControls()
{
    canvas = new SparkleCanvas(this);
    canvas->setObjectName(QStringLiteral("client"));
    setCentralWidget(canvas);
    Picture1 = new PictureBox(runtime_.errors, runtime_.seams.loadPicture, canvas);
    Picture2 = new PictureBox(runtime_.errors, runtime_.seams.loadPicture, canvas);
    cboFileType = new ComboBox(runtime_.errors, canvas);
    cboFileType->setEditText(QStringLiteral("Combo1"));
    drvDrive = new DriveList(runtime_.errors, runtime_.drives, runtime_.startDirectory, canvas);
    dirDirectory =
        new DirectoryList(runtime_.errors, runtime_.drives, runtime_.folders, runtime_.startDirectory, canvas);
    filFiles = new FileList(runtime_.errors, runtime_.folders, runtime_.startDirectory, canvas);
    cmdRun2 = new QPushButton(QStringLiteral("Run Gravlok"), canvas);
    cmdExit = new QPushButton(QStringLiteral("Exit"), canvas);
    StatusBar1 = new StatusBar(runtime_.seams.now, canvas);
    // The menu bar's only item is a command of its own, with no drop-down.
    cmdSettings = menuBar()->addAction(QStringLiteral("Settings"));
    cmdSettings->setObjectName(QStringLiteral("cmdSettings"));
    tmrTimer = new QTimer(this);
    tmrTimer->setObjectName(QStringLiteral("tmrTimer"));
}

void frmMain::placeControls()
{
    placeControl(Picture1, "Picture1", 120, 0, 4815, 3375);
    placeControl(Picture2, "Picture2", 5040, 0, 4815, 3375);
    placeControl(cboFileType, "cboFileType", 120, 3480, 3135, 315);
    placeControl(drvDrive, "drvDrive", 3360, 3480, 3135, 315);
    placeControl(dirDirectory, "dirDirectory", 120, 3840, 3135, 1890);
    placeControl(filFiles, "filFiles", 3360, 3840, 3135, 1845);
    placeControl(cmdRun2, "cmdRun2", 6600, 5160, 1335, 495);
    placeControl(cmdExit, "cmdExit", 8040, 5160, 1335, 495);
    placeControl(StatusBar1, "StatusBar1", 0, 5820, 9945, 375);
    // Like the classic controls, each one paints its whole rectangle: the
    // sparkle shows on the window around them, and a point that lands under
    // one costs no repaint of the control.
    for (QWidget* control :
         std::initializer_list<QWidget*>{cboFileType, drvDrive, dirDirectory, filFiles, cmdRun2, cmdExit})
        control->setAutoFillBackground(true);
    StatusBar1->addPanel(textPanelKey, StatusBar::PanelKind::Text, 0, true);
    StatusBar1->addPanel(QString(), StatusBar::PanelKind::Date, twipsToPixels(1440), false);

    // Tab order of the design; the status bar (6) takes no focus.
    const QList<QWidget*> tabOrder = {Picture2,     cmdExit,  cboFileType, filFiles,
                                      dirDirectory, drvDrive, Picture1,    cmdRun2};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);

    // The client area lies below the menu bar, at a fixed place on the screen.
    const int menuHeight = menuBar()->sizeHint().height();
    setGeometry(twipsToPixels(930), twipsToPixels(1290) - menuHeight, twipsToPixels(9945),
                twipsToPixels(6195) + menuHeight);
}

void frmMain::connectControls()
{
    canvas->installEventFilter(this);
    auto wire = [this](auto handler) {
        return [this, handler] { runtime_.errors.guard([this, handler] { (this->*handler)(); }); };
    };
    connect(cmdSettings, &QAction::triggered, this, wire(&frmMain::cmdSettings_Click));
    connect(cmdExit, &QPushButton::clicked, this, wire(&frmMain::cmdExit_Click));
    connect(cmdRun2, &QPushButton::clicked, this, wire(&frmMain::cmdRun2_Click));
    cboFileType->click.setHandler([this] { cboFileType_Click(); });
    drvDrive->change.setHandler([this] { drvDrive_Change(); });
    // Choosing the drive already shown goes to that drive's folder again: the
    // way out of a folder that does not answer, and a fresh look at one whose
    // medium was swapped.
    drvDrive->reselect.setHandler([this] { drvDrive_Change(); });
    dirDirectory->change.setHandler([this] { dirDirectory_Change(); });
    // The folder shown read again, or its late links: the file list, when it
    // shows the same folder, takes that read too.
    dirDirectory->listed.setHandler([this] { filFiles->takeListing(dirDirectory->path(), dirDirectory->listing()); });
    filFiles->click.setHandler([this] { filFiles_Click(); });
    filFiles->open.setHandler([this] { cmdRun2_Click(); });
    dirDirectory->openFailed = [this](const RuntimeError& e, const QString& path) {
        warn(QStringLiteral("The directory \"%1\" cannot be opened: %2.").arg(shownPath(path), describe(e)));
    };
    tmrTimer->setInterval(sparkleIntervalMs);
    connect(tmrTimer, &QTimer::timeout, this, wire(&frmMain::tmrTimer_Timer));
    tmrTimer->start();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    // Only the status bar follows the window's size, along its bottom edge.
    if (watched == canvas && event->type() == QEvent::Resize)
        StatusBar1->setGeometry(0, canvas->height() - twipsToPixels(375), canvas->width(), twipsToPixels(375));
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::warn(const QString& message)
{
    runtime_.seams.messageBox(this, message, programTitle(), style::Exclamation);
}

frmSettings& frmMain::settingsWindow()
{
    if (settings_ && !settings_->unloaded())
        return *settings_;
    // Stored before its load handler runs, so that a use from inside that
    // handler (the nested LoadRecord) finds the window and makes no second.
    settings_ = new frmSettings(runtime_.errors, runtime_.random);
    settings_->load.setHandler([this] { LoadRecord(LoadScope::SettingsWindow); });
    settings_->closeAndSave.setHandler([this] { closeAndSave(); });
    settings_->Form_Load();
    return *settings_;
}

// ---- Start-up, reload and the commands ----

void frmMain::Form_Load()
{
    cboFileType->addEntry(QStringLiteral("Zip Files (*.zip)"));
    cboFileType->addEntry(QStringLiteral("All Files (*.*)"));
    fileHandle_ = runtime_.files.freeFile();
    try {
        runtime_.files.open(fileHandle_, settingsFileName);
    } catch (const FolderRefusesFile& e) {
        // A folder the user may not write in, such as a portable copy
        // unpacked under Program Files.
        runtime_.errors.end(1); // no handler runs while the report is up
        runtime_.errors.report(
            e, nullptr,
            QStringLiteral("Lumora keeps its settings in %1 in the folder it is started from, and cannot write in "
                           "\"%2\". Start Lumora from a folder you can write to; the installer puts it in one.")
                .arg(QString::fromLatin1(settingsFileName), shownPath(runtime_.startDirectory)));
        return;
    }
    const std::shared_ptr<RecordFile> file = runtime_.files.at(fileHandle_);
    stored_ = readSettings(file->read(settingsRecordCount));
    // Housekeeping on a worker of its own: a save never waits behind it.
    startWorker([file] { file->removeStaleCopies(); });
    Reload();
    // The start-up is over once the window shows: the folder reads it asked
    // for begin then, off the way of the first frame.
    afterFirstFrame(*canvas, [this] { runtime_.errors.guard([this] { runtime_.folders.startUpOver(); }); });
}

void frmMain::Reload()
{
    LoadRecord();
    Subtract();
    Pictures1();
    Pictures2();
    cboFileType->setListIndex(0);
    sparkleFlag_ = 1;
}

void frmMain::cmdSettings_Click()
{
    frmSettings& window = settingsWindow();
    window.show();
    window.raise();
    window.activateWindow();
}

void frmMain::closeAndSave()
{
    SaveRecord({}, [this](bool saved) {
        if (!saved)
            return; // the report has been shown; the window stays open with its values
        Reload();
        settingsWindow().hide();
    });
}

void frmMain::cmdExit_Click()
{
    const QString stillOpen = QStringLiteral("Lumora stays open so that nothing is lost: press Exit again once the "
                                             "settings can be saved. Closing the window leaves without saving.");
    SaveRecord(stillOpen, [this](bool saved) {
        if (!saved)
            return; // nothing is lost: the user can free space and try again
        letGoOfSettingsFile();
        tmrTimer->stop();
        if (settings_)
            settings_->tmrTimer1->stop();
        runtime_.errors.end(0);
    });
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // Leaving through the window frame writes nothing and ends the program;
    // the hidden settings window does not keep it alive.
    event->accept();
    runtime_.errors.guard([this] {
        letGoOfSettingsFile();
        runtime_.errors.end(0);
    });
}

void frmMain::letGoOfSettingsFile()
{
    // Closing a file waits for its mount to take what was written: the
    // file's own worker does it, after a save still on its way, and the
    // program need not wait for that to end.
    if (runtime_.files.openCount() == 0)
        return;
    fileWork_.post([file = runtime_.files.close(fileHandle_)] { file->close(); });
}

// ---- The settings file ----

void frmMain::SaveRecord(const std::function<void(bool saved)>& then) { SaveRecord({}, then); }

void frmMain::SaveRecord(const QString& failureAdvice, const std::function<void(bool saved)>& then)
{
    // A settings window closed through its frame is made again here and
    // refilled from the stored records, so its unsaved changes are lost; the
    // game picked and the folder browsed in the main window are saved as the
    // user left them.
    SettingsRecords records;
    records.selectedPath = nativeFromText(selectedPath_);
    settingsWindow().collect(records);
    // Where the directory list is going, if a read of it is still on its
    // way, even one that never ends: what the user chose.
    records.directory = nativeFromText(dirDirectory->destination());

    std::shared_ptr<RecordFile> file = runtime_.files.at(fileHandle_);
    auto save = fileWork_.run<Saved>([file, records] {
        // Bytes after each value are kept as the file had them.
        RecordImage image = file->read(settingsRecordCount);
        // A name the settings file cannot hold is stored by its short name
        // where the system keeps one.
        Saved saved{writeSettings(image, records, platform::shortPathName), {}};
        file->write(image);
        saved.records = readSettings(file->read(settingsRecordCount));
        return saved;
    });
    hold_ = std::make_unique<InputHold>(this);
    const auto finish = [this, records, then, failureAdvice](const Outcome<Saved>& outcome) {
        hold_.reset();
        Saved saved;
        try {
            saved = outcome.get();
        } catch (const RuntimeError& e) {
            // The old settings are still whole in the file and the new ones on
            // screen; the user decides what to do next.
            runtime_.errors.report(e, this, failureAdvice);
            then(false);
            return;
        }
        stored_ = saved.records;
        // A text stored by its short name, or empty, is still what the user
        // chose: this run goes on with it, and the reload after "Close and
        // Save" shows it.
        for (std::string SettingsRecords::*text : textRecords)
            stored_.*text = records.*text;
        for (const UnkeptText& u : saved.unkept)
            warn(unkeptMessage(u, records));
        then(true);
    };
    whenSettled(runtime_.errors, port_, save, FolderReads::aMoment, finish, [] {});
}

void frmMain::LoadRecord(LoadScope scope)
{
    // Every record is taken before any control is touched: the first use of
    // the settings window below runs this once more, nested, and both runs
    // must apply the same values.
    const SettingsRecords records = stored_;
    if (scope == LoadScope::BothWindows) {
        selectedPath_ = textFromNative(records.selectedPath);
        StatusBar1->panel(textPanelKey).setText(selectedPath_);
    }
    settingsWindow().txtScreen->setText(textFromNative(records.screenshotDirectory));
    if (scope == LoadScope::BothWindows && !records.directory.empty()) {
        // A stored directory that is gone or on a drive that is not ready:
        // the list stays where it is, at start-up the current directory, and
        // the folder stays stored until the user goes elsewhere.
        const QString directory = textFromNative(records.directory);
        dirDirectory->setPath(
            directory,
            [this, directory](const RuntimeError& e) {
                // A stick not plugged in, a card reader or CD drive with
                // nothing in it, a share asleep, a folder gone: the usual,
                // and nothing to tell.
                if (e.number() != err::PathNotFound && e.number() != err::DeviceUnavailable &&
                    e.number() != err::DiskNotReady)
                    warn(QStringLiteral("The folder \"%1\" kept in the settings cannot be read: %2. It stays in the "
                                        "settings until another folder is chosen.")
                             .arg(shownPath(directory), describe(e)));
            },
            DirectoryList::OnFailure::Remember);
    }
    settingsWindow().applyOptions(records);
}

// ---- Game file browser ----

void frmMain::cboFileType_Click()
{
    if (const auto pattern = patternForFileType(cboFileType->listIndex()))
        filFiles->setPattern(textFromNative(*pattern),
                             [this](const RuntimeError& e) { warn(listingFailure(filFiles->path(), e)); });
}

void frmMain::drvDrive_Change()
{
    dirDirectory->setPath(drvDrive->drive(), [this](const RuntimeError&) {
        runtime_.seams.messageBox(this, QStringLiteral("Drive Error!"), QStringLiteral("Error"), style::Exclamation);
        // Back to the directory list's drive; this raises the change event
        // once more, which moves the list to that drive's current directory.
        if (runtime_.drives.indexOfPath(dirDirectory->path()) >= 0) {
            drvDrive->setDrive(dirDirectory->path());
            return;
        }
        // That drive has gone too (its stick pulled, its share gone): the
        // lists stay where they are, and the user chooses where to go.
        drvDrive->showFirstDrive();
        warn(QStringLiteral("The drive of \"%1\" is not there any more. Choose another drive or folder.")
                 .arg(shownPath(dirDirectory->path())));
    });
}

void frmMain::dirDirectory_Change()
{
    // The file list takes the directory list's read of the folder.
    filFiles->setPath(dirDirectory->path(), dirDirectory->listing());
}

void frmMain::filFiles_Click()
{
    selectedPath_ =
        textFromNative(joinSelectedPath(nativeFromText(dirDirectory->path()), nativeFromText(filFiles->fileName())));
    StatusBar1->panel(textPanelKey).setText(selectedPath_);
    Subtract();
    Pictures1();
    Pictures2();
}

void frmMain::Subtract() { fileNamePart_ = textFromNative(lumora::fileNamePart(nativeFromText(selectedPath_))); }

// ---- Previews ----

void frmMain::Pictures1() { loadPreview(Picture1, 1); }
void frmMain::Pictures2() { loadPreview(Picture2, 2); }

void frmMain::loadPreview(PictureBox* box, int which)
{
    // Read and decoded on a worker; a missing or unreadable screenshot is no
    // error, and leaves the box blank. What the settings window's making
    // raises is no preview's to hide.
    const QString directory = settingsWindow().txtScreen->text();
    box->load(previewPath(nativeFromText(directory), nativeFromText(fileNamePart_), which));
}

// ---- Launch ----

void frmMain::cmdRun2_Click()
{
    // The options as they stand on screen, saved or not, then the path.
    SettingsRecords options;
    settingsWindow().collect(options);
    const std::string switches = switchString(switchInputs(options));

    const LaunchRequest request{textFromNative(emulatorProgram), selectedPath_, textFromNative(switches)};

    // The PATH may name a folder on a mount that never answers: searched on a
    // worker, and a failure told when it is known.
    auto start = Pending<QString>::start([startProcess = runtime_.seams.startProcess, request] {
        QString reason;
        return startProcess(request, &reason) ? QString() : reason.isEmpty() ? QStringLiteral("it failed") : reason;
    });
    whenSettled(
        runtime_.errors, port_, start, FolderReads::aMoment,
        [this, program = request.program](const Outcome<QString>& outcome) {
            if (const QString reason = outcome.get(); !reason.isEmpty())
                warn(QStringLiteral("\"%1\" could not be started: %2.").arg(program, reason));
        },
        [] {});
}

// ---- Sparkle ----

void frmMain::tmrTimer_Timer()
{
    if (sparkleFlag_ == 1)
        canvas->sparkle(runtime_.random);
}

} // namespace lumora
