// SaveRecord and LoadRecord belong to the main window, whose state they move,
// but they are the settings file's operations and so live with the settings.

#include <QLineEdit>

#include "controls/CheckBox.h"
#include "controls/DirectoryList.h"
#include "controls/FormRuntime.h"
#include "controls/NativeText.h"
#include "controls/OptionButton.h"
#include "controls/StatusBar.h"
#include "launcher/frmMain.h"
#include "settings/frmSettings.h"

namespace lumora {

namespace {

QString settingName(int record)
{
    switch (record) {
    case 1: return QStringLiteral("The picked game file");
    case 2: return QStringLiteral("The screen shot directory");
    default: return QStringLiteral("The browsed directory");
    }
}

QString unkeptMessage(const UnkeptText& unkept, const SettingsRecords& records)
{
    const std::string& text = unkept.record == 1   ? records.selectedPath
                              : unkept.record == 2 ? records.screenshotDirectory
                                                   : records.directory;
    const QString why =
        unkept.reason == UnkeptText::TooLong
            ? QStringLiteral("it is longer than the %1 bytes the settings file holds for it").arg(maxStringBytes)
            : QStringLiteral("it holds characters that the settings file cannot store");
    return QStringLiteral("%1 could not be saved, because %2:\n\n%3\n\nIt has been stored empty.")
        .arg(settingName(unkept.record), why, displayText(text));
}

} // namespace

bool frmMain::SaveRecord()
{
    // Each step reads its control in turn: a settings window closed through
    // its frame is made again at step 2 and refilled from the file, so its
    // unsaved changes are lost; the game picked and the folder browsed in the
    // main window are saved as the user left them.
    SettingsRecords records;
    records.selectedPath = nativeFromText(selectedPath_);
    records.screenshotDirectory = nativeFromText(settingsWindow().txtScreen->text());
    records.directory = nativeFromText(dirDirectory->path());
    const frmSettings& settings = settingsWindow();
    for (std::size_t i = 0; i < records.options.size(); ++i)
        records.options[i] = TaggedValue::fromBool(settings.options()[i]->value());
    records.noAnalyse = static_cast<std::int16_t>(settings.chkNoAnalyse->value());
    records.vsync = static_cast<std::int16_t>(settings.chkVsync->value());

    RecordFile& file = runtime_.files().at(fileHandle_);
    std::vector<UnkeptText> unkept;
    try {
        // Bytes after each value are kept as the file had them.
        RecordImage image = file.read(settingsRecordCount);
        unkept = writeSettings(image, records);
        file.write(image);
    } catch (const RuntimeError& e) {
        // The old settings are still whole in the file and the new ones on
        // screen; the user decides what to do next.
        runtime_.reportError(e, this);
        return false;
    }
    for (const UnkeptText& u : unkept)
        runtime_.messageBox(this, unkeptMessage(u, records), QStringLiteral("Lumora"), style::Exclamation);
    return true;
}

void frmMain::LoadRecord(LoadScope scope)
{
    // Every record is read before any control is touched: the first use of
    // the settings window below runs this once more, nested, and both runs
    // must apply the same values.
    const SettingsRecords records = readSettings(runtime_.files().at(fileHandle_).read(settingsRecordCount));

    const bool both = scope == LoadScope::BothWindows;
    if (both) {
        selectedPath_ = textFromNative(records.selectedPath);
        StatusBar1->panel(QStringLiteral("text")).setText(selectedPath_);
    }
    settingsWindow().txtScreen->setText(textFromNative(records.screenshotDirectory));
    const QString directory = textFromNative(records.directory);
    if (both && !directory.isEmpty()) {
        try {
            dirDirectory->setPath(directory);
        } catch (const RuntimeError&) {
            // A stored directory that is gone or on a drive that is not ready:
            // the list stays where it is, at start-up the current directory.
        }
    }
    const frmSettings& settings = settingsWindow();
    for (std::size_t i = 0; i < records.options.size(); ++i)
        settings.options()[i]->setValue(records.options[i].isTrue());
    settings.chkNoAnalyse->setValue(records.noAnalyse);
    settings.chkVsync->setValue(records.vsync);
}

} // namespace lumora
