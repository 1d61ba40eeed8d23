#pragma once

#include <QFrame>
#include <QImage>
#include <functional>
#include <string>

#include "controls/LatestRequest.h"

namespace lumora {

// Shows its picture unscaled from the top-left corner of its inner area,
// clipped to the box; the empty picture leaves it blank.
class PictureBox : public QFrame {
    Q_OBJECT
public:
    PictureBox(ErrorGuard& errors, PictureLoader loader, QWidget* parent = nullptr);

    const QImage& picture() const { return picture_; }
    // Shows `picture` and drops any load still on its way.
    void setPicture(const QImage& picture);

    // Loads the picture file at `path` (the system's bytes for it) on a
    // worker, which a slow disk or a picture that is costly to decode may
    // hold up as long as it likes: the box goes blank at once and shows the
    // picture once it is decoded, unless a later load or picture has come
    // first; a load dropped so lets go as early as it can, and one that had
    // not begun looks nothing up. A file that cannot be shown leaves the box
    // blank. One look-up in a folder at a time: while one there is stuck, the
    // latest load from that folder waits for it.
    void load(const std::string& path);
    bool loading() const { return request_.busy(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
    PictureLoader loader_;
    LatestRequest<QImage> request_;
};

// Reads the picture file at `path` (the system's bytes) afresh from disk, with
// no cache of any kind; only a regular file is opened, and nothing that could
// block is done before that is known. An empty path gives the empty picture.
// Raises RuntimeError 53 when there is no such file, 76 when its directory is
// missing, 75 when it is no regular file or cannot be read, and 481 when it
// holds no picture that Qt's image reader can decode, or one too large to
// hold, which is told from its header before the rest is read. Once `stop`
// reads true, nothing more is looked up or read, and decoding gives up early.
QImage loadPicture(const std::string& path, const StopFlag* stop = nullptr);

} // namespace lumora
