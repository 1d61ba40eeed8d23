#pragma once
// Shared by the settings window and settings file tests: a main window in a
// scratch folder, a builder for settings file bytes, and a few probes.

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <array>
#include <gtest/gtest.h>
#include <optional>

#include "controls/CheckBox.h"
#include "controls/DirectoryList.h"
#include "controls/FileList.h"
#include "controls/OptionButton.h"
#include "controls/StatusBar.h"
#include "core/SettingsRecords.h"
#include "launcher/frmMain.h"
#include "settings/frmSettings.h"
#include "support/TestSupport.h"
#include "support/WindowSupport.h"

namespace lumora::test {

// The ten option buttons in switch and record order.
inline std::array<OptionButton*, 10> optionButtons(const frmSettings& s)
{
    return {s.optSkip1,  s.optSkip2,  s.optSkip3,  s.optSkip4, s.optScan,
            s.optScan25, s.optScan50, s.optScanNo, s.optVga,   s.optModex};
}

// Settings file bytes written by hand, independent of the program's writer.
// Unwritten bytes are `fill`, so a test can see whether a save keeps them.
class FileBytes {
public:
    explicit FileBytes(int size = 0, char fill = '\0') : bytes_(size, fill) {}
    FileBytes& text(int record, const QByteArray& s) { return put(record, word(int(s.size())) + s); }
    FileBytes& flag(int record, bool on) { return put(record, word(11) + word(on ? 0xFFFF : 0)); }
    FileBytes& integer(int record, int v) { return put(record, word(v)); }
    const QByteArray& bytes() const { return bytes_; }

    static QByteArray word(int v)
    {
        const char le[2] = {char(v & 0xFF), char((v >> 8) & 0xFF)};
        return QByteArray(le, 2);
    }

private:
    FileBytes& put(int record, const QByteArray& data)
    {
        const int at = (record - 1) * 128;
        if (bytes_.size() < at + data.size())
            bytes_.resize(at + data.size(), '\0');
        bytes_.replace(at, data.size(), data);
        return *this;
    }
    QByteArray bytes_;
};

class SettingsTest : public ::testing::Test {
protected:
    // Writes the settings file (when given) and runs the start-up.
    void start(const std::optional<QByteArray>& file = std::nullopt)
    {
        if (file)
            world.makeFile(settingsFileName, *file);
        w.Form_Load();
    }
    frmSettings& s() { return w.settingsWindow(); }
    QByteArray fileBytes() const { return world.settingsBytes(); }
    static QByteArray slot(const QByteArray& file, int record, int length = 128)
    {
        return file.mid(qsizetype(record - 1) * 128, length);
    }
    static void click(QWidget* button)
    {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }

    void pick(const QString& folder, const QString& name) { pickGame(w, folder, name); }

    // Everything the settings file carries, as the windows show it.
    QStringList shown()
    {
        QStringList state = {s().txtScreen->text(),
                             QString::number(s().chkNoAnalyse->value()),
                             QString::number(s().chkVsync->value()),
                             w.selectedPath(),
                             w.StatusBar1->panel(QStringLiteral("text")).text(),
                             w.dirDirectory->path()};
        for (const OptionButton* option : optionButtons(s()))
            state << option->objectName() + (option->value() ? "=on" : "=off");
        return state;
    }

    int messagesOfStyle(int style) const
    {
        return int(std::count_if(world.messages.begin(), world.messages.end(),
                                 [style](const Message& m) { return m.style == style; }));
    }

    World world;
    frmMain w{world.runtime()};
};

} // namespace lumora::test
