#pragma once

#include <QTimer>
#include <QWidget>
#include <array>

#include "controls/Event.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace lumora {

class CheckBox;
class ErrorGuard;
class OptionButton;
class RandomSource;
class SparkleCanvas;
struct SettingsRecords;

// The settings window: the live copy of the emulator's options and of the
// screenshot directory. The main window creates it on first use and again
// after the user has closed it through its frame, which destroys it.
class frmSettings : public QWidget {
    Q_OBJECT
public:
    frmSettings(ErrorGuard& errors, RandomSource& random);
    ~frmSettings() override;

    void Form_Load();
    void cmdClose_Click();
    void tmrTimer1_Timer();

    // What the settings file keeps of this window: the screenshot directory,
    // the ten options and the two check boxes. Other records stay as they are.
    void collect(SettingsRecords& records) const;
    // The ten options and the two check boxes; the screenshot directory is
    // the text box's own.
    void applyOptions(const SettingsRecords& records);

    // The load handler asks for the stored settings.
    Event load;
    // "Close and Save" asks for a save, the main window's reload and a hide.
    Event closeAndSave;

    int sparkleFlag() const { return sparkleFlag_; }
    // Closed through its frame: gone for the program even before Qt deletes it.
    bool unloaded() const { return unloaded_; }

    SparkleCanvas* canvas = nullptr;
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    OptionButton* optSkip1 = nullptr;
    OptionButton* optSkip2 = nullptr;
    OptionButton* optSkip3 = nullptr;
    OptionButton* optSkip4 = nullptr;
    OptionButton* optScan = nullptr;
    OptionButton* optScan25 = nullptr;
    OptionButton* optScan50 = nullptr;
    OptionButton* optScanNo = nullptr;
    OptionButton* optVga = nullptr;
    OptionButton* optModex = nullptr;
    CheckBox* chkVsync = nullptr;
    CheckBox* chkNoAnalyse = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txtScreen = nullptr;
    QPushButton* cmdClose = nullptr;
    QTimer* tmrTimer1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void createControls();
    void placeControls();
    void connectControls();

    ErrorGuard& errors_;
    RandomSource& random_;
    std::array<OptionButton*, 10> options_{}; // in switch and record order, optSkip1 .. optModex
    int sparkleFlag_ = 0;
    bool unloaded_ = false;
};

} // namespace lumora
