#pragma once
// What the tests of the two windows share: a user's pick, and waiting for the
// previews that a pick loads.

#include <QTest>
#include <gtest/gtest.h>

#include "controls/DirectoryList.h"
#include "controls/FileList.h"
#include "controls/PictureBox.h"
#include "launcher/frmMain.h"
#include "support/TestSupport.h"

namespace lumora::test {

// Previews are read and decoded away from the GUI thread: true once both
// boxes show what the last pick or start-up asked for.
inline bool previewsSettle(const frmMain& w)
{
    return QTest::qWaitFor([&] { return !w.Picture1->loading() && !w.Picture2->loading(); }, 20000);
}

// Clicks `name` (as the list shows it) as a user would; the list must be on
// screen.
inline void clickFile(FileList& list, const QString& name)
{
    const int row = int(shownEntries(list).indexOf(name));
    ASSERT_GE(row, 0) << "not listed: " << name.toStdString();
    const QRect cell = list.visualRect(list.model()->index(row, 0));
    ASSERT_TRUE(cell.isValid());
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, cell.center());
}

// Picks the game `name` (as the list shows it) in `folder` through the
// directory and file lists, and waits for its previews.
inline void pickGame(frmMain& w, const QString& folder, const QString& name)
{
    w.dirDirectory->setPath(folder);
    const int row = int(shownEntries(*w.filFiles).indexOf(name));
    ASSERT_GE(row, 0) << "not listed: " << name.toStdString();
    w.filFiles->setListIndex(row);
    w.filFiles_Click();
    ASSERT_TRUE(previewsSettle(w));
}

// Settings windows the program can still reach.
int liveSettingsWindows();

} // namespace lumora::test
