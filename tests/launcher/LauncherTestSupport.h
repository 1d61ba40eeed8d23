#pragma once
// What the main window's tests share: a user's pick in the file list.

#include <QListView>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/FileList.h"
#include "controls/PictureBox.h"
#include "launcher/frmMain.h"

namespace lumora::test {

inline QStringList fileEntries(const FileList& list)
{
    QStringList names;
    for (int row = 0; row < list.listCount(); ++row)
        names.append(list.entry(row));
    return names;
}

// Clicks `name` in the list as a user would; the list must be on screen.
inline void clickFile(FileList& list, const QString& name)
{
    const int row = int(fileEntries(list).indexOf(name));
    ASSERT_GE(row, 0) << "not listed: " << name.toStdString();
    const QRect cell = list.visualRect(list.model()->index(row, 0));
    ASSERT_TRUE(cell.isValid());
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, cell.center());
}

// Previews are read and decoded away from the GUI thread: true once both
// boxes show what the last pick or start-up asked for.
inline bool previewsSettle(const frmMain& w)
{
    return QTest::qWaitFor([&] { return !w.Picture1->loading() && !w.Picture2->loading(); }, 20000);
}

} // namespace lumora::test
