#pragma once

#include <QFrame>
#include <QImage>

namespace lumora {

// Shows its picture unscaled from the top-left corner of its inner area,
// clipped to the box; the empty picture leaves it blank.
class PictureBox : public QFrame {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    const QImage& picture() const { return picture_; }
    void setPicture(const QImage& picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

// Reads the picture file at `path` afresh from disk (no cache of any kind).
// An empty path gives the empty picture. Raises RuntimeError 53 when there
// is no such file, 76 when its directory is missing, 481 when the file holds
// no picture that Qt's image reader can decode, or one too large to hold.
QImage loadPicture(const QString& path);

} // namespace lumora
