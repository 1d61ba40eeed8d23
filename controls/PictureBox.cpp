#include "controls/PictureBox.h"

#include <QBuffer>
#include <QIODevice>
#include <QImageReader>
#include <QPainter>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "core/PathRules.h"
#include "core/RuntimeError.h"
#include "core/platform/ErrorCode.h"
#include "core/platform/RegularFile.h"
#include "core/platform/SystemText.h"

namespace lumora {

PictureBox::PictureBox(ErrorGuard& errors, PictureLoader loader, QWidget* parent)
    : QFrame(parent), loader_(std::move(loader)), request_(errors, this)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
}

void PictureBox::setPicture(const QImage& picture)
{
    request_.drop();
    picture_ = picture;
    update();
}

void PictureBox::load(const std::string& path)
{
    setPicture(QImage()); // never the previous game's picture beside a new pick
    const std::size_t folderEnd = path.find_last_of(nativeSeparator);
    request_.ask(
        folderEnd == std::string::npos ? std::string(".") : path.substr(0, folderEnd + 1),
        [loader = loader_, path](const StopFlag& stop) {
            return Pending<QImage>::start([loader, path, stop] {
                try {
                    return loader(path, stop);
                } catch (const RuntimeError&) {
                    throw;
                } catch (const std::exception&) {
                    throw RuntimeError(err::InvalidPicture, path); // whatever it was, no picture
                }
            });
        },
        [this](const QImage& picture) {
            picture_ = picture;
            update();
        },
        [](const RuntimeError&) {}, // a missing or unreadable screenshot is no error: the box stays blank
        std::chrono::milliseconds(0), LatestRequest<QImage>::Waiting::Quiet);
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (picture_.isNull())
        return;
    QPainter painter(this);
    const QRect inner = contentsRect();
    painter.setClipRect(inner);
    painter.drawImage(inner.topLeft(), picture_);
}

namespace {
// Screenshots are a few hundred pixels a side; a file that declares more
// than this is broken or hostile and is refused before anything is allocated.
constexpr int maxPictureMegabytes = 256;
// No picture Qt can hold within that limit comes in a larger file than this.
constexpr std::uint64_t maxPictureFileBytes = std::uint64_t{maxPictureMegabytes} * 1024 * 1024;

// A picture's bytes for Qt's reader that stop flowing once the load is no
// longer wanted. The decoders read as they go, so a dropped load of a costly
// picture (a progressive JPEG of thousands of scans) ends within a few
// kilobytes instead of running to its end. Not a QBuffer, and unbuffered:
// Qt's JPEG reader takes a QBuffer's bytes all at once, and a buffered
// device would hand over the next 16 KB regardless.
class StoppableDevice : public QIODevice {
public:
    StoppableDevice(QByteArray bytes, const StopFlag* stop) : bytes_(std::move(bytes)), stop_(stop)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return false; }
    qint64 size() const override { return bytes_.size(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (stop_ != nullptr && stop_->stopped())
            return -1;
        const qint64 count = std::min(maxSize, bytes_.size() - pos());
        std::memcpy(data, bytes_.constData() + pos(), std::size_t(count));
        return count;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    const QByteArray bytes_;
    const StopFlag* stop_;
};

// Qt's BMP reader returns the rows it found in a file that was cut short and
// leaves the rest of the picture undefined, so a screenshot whose copy was
// interrupted would show as garbage. A BMP must hold all the pixel data its
// header declares; anything that is not a BMP is left to the reader.
bool bitmapCutShort(const QByteArray& file)
{
    const QByteArray h = file.left(38);
    if (h.size() < 26 || !h.startsWith("BM"))
        return false;
    const auto field = [&h](int at, int bytes) {
        quint32 value = 0;
        for (int i = bytes - 1; i >= 0; --i)
            value = (value << 8) | quint8(h[at + i]);
        return value;
    };
    const quint32 headerSize = field(14, 4);
    double width = 0, height = 0, bits = 0, compression = 0, imageSize = 0;
    if (headerSize == 12) { // OS/2 core header
        width = field(18, 2);
        height = qint16(field(20, 2));
        bits = field(24, 2);
    } else {
        if (h.size() < 38)
            return true;
        width = qint32(field(18, 4));
        height = qint32(field(22, 4));
        bits = field(28, 2);
        compression = field(30, 4);
        imageSize = field(34, 4);
    }
    // Uncompressed rows (and bit-field ones) have a known size; compressed
    // data has the size its header gives.
    const bool rows = compression == 0 || compression == 3 || compression == 6;
    const double pixelBytes = rows ? std::ceil(std::abs(width) * bits / 32) * 4 * std::abs(height) : imageSize;
    return double(field(10, 4)) + pixelBytes > double(file.size());
}

// Whether the picture that `header` begins declares more pixels than may be
// held, as far as its header tells.
bool declaresTooMuch(const QByteArray& header)
{
    QBuffer buffer;
    buffer.setData(header);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid())
        return false; // the whole file's read decides
    const QImage::Format format = reader.imageFormat();
    const double bits = format == QImage::Format_Invalid ? 32 : QImage::toPixelFormat(format).bitsPerPixel();
    return double(size.width()) * size.height() * bits / 8 > double(maxPictureFileBytes);
}

// The whole file, read a piece at a time so that a dropped load of a large
// file on a slow disk lets go early; a picture declaring more than may be
// held is refused once its first piece, which holds its header, is read.
QByteArray readWhole(const platform::RegularFile& file, const std::string& path, const StopFlag* stop)
{
    std::error_code error;
    const std::uint64_t size = file.size(error);
    if (error)
        throw RuntimeError(platform::errorNumber(error, platform::Doing::Opening), path);
    if (size > maxPictureFileBytes)
        throw RuntimeError(err::InvalidPicture, path);
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    constexpr std::size_t headerPiece = std::size_t{64} << 10;
    constexpr std::size_t piece = std::size_t{1} << 20;
    std::size_t done = 0;
    while (done < std::size_t(size)) {
        if (stop != nullptr && stop->stopped())
            throw RuntimeError(err::InvalidPicture, path);
        const std::size_t want = std::min(done == 0 ? headerPiece : piece, std::size_t(size) - done);
        const std::size_t got = file.readAt(done, bytes.data() + done, want, error);
        if (error)
            throw RuntimeError(platform::errorNumber(error, platform::Doing::Reading), path);
        if (got == 0)
            break; // shortened meanwhile
        if (done == 0 && got < std::size_t(size) && declaresTooMuch(bytes.left(qsizetype(got))))
            throw RuntimeError(err::InvalidPicture, path);
        done += got;
    }
    bytes.truncate(qsizetype(done));
    return bytes;
}
} // namespace

QImage loadPicture(const std::string& path, const StopFlag* stop)
{
    if (path.empty())
        return {};
    if (stop != nullptr && stop->stopped())
        throw RuntimeError(err::InvalidPicture, path); // dropped before it began: not even looked up
    const std::filesystem::path file = platform::pathFromUtf8(path);
    std::error_code error;
    const platform::RegularFile opened = platform::RegularFile::open(file, platform::RegularFile::Access::Read,
                                                                     platform::RegularFile::Create::No, error);
    if (error == std::errc::no_such_file_or_directory) {
        std::error_code ignored;
        throw RuntimeError(
            std::filesystem::is_directory(file.parent_path(), ignored) ? err::FileNotFound : err::PathNotFound, path);
    }
    if (error)
        throw RuntimeError(platform::errorNumber(error, platform::Doing::Opening), path);
    QByteArray bytes = readWhole(opened, path, stop);
    if (bitmapCutShort(bytes))
        throw RuntimeError(err::InvalidPicture, path);
    StoppableDevice device(std::move(bytes), stop);
    QImageReader reader(&device);
    reader.setAllocationLimit(maxPictureMegabytes);
    QImage image = reader.read();
    if (image.isNull() || (stop != nullptr && stop->stopped()))
        throw RuntimeError(err::InvalidPicture, path);
    return image;
}

} // namespace lumora
