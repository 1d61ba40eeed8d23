// Feeds arbitrary bytes to the settings file's reading side: the record layer
// and the interpretation that LoadRecord applies. Whatever the file holds, the
// values that come out must be ones the windows can show and a save can write
// back unchanged; anything else aborts, so libFuzzer keeps the input.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <unistd.h>

#include "core/CodePage.h"
#include "core/RecordFile.h"
#include "core/SettingsRecords.h"
#include "core/Utf8.h"

namespace {

using Bytes = std::vector<unsigned char>;
using lumora::RecordImage;
using lumora::SettingsRecords;
using lumora::TaggedValue;

// Every this many inputs also go through a real file on disk. A write ends in
// fsync, so doing it for every input would leave the fuzzer little time for
// the rest; a replay of the corpus takes each one through the file.
#ifdef LUMORA_FUZZ_REPLAY
constexpr unsigned fileRoundEvery = 1;
#else
constexpr unsigned fileRoundEvery = 512;
#endif

[[noreturn]] void broken(const char* what)
{
    std::fprintf(stderr, "settings_fuzz: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

void require(bool ok, const char* what)
{
    if (!ok)
        broken(what);
}

bool isValidUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const lumora::utf8::Decoded d = lumora::utf8::decodeAt(text, i);
        if (!d.valid)
            return false;
        i += d.length;
    }
    return true;
}

bool sameValues(const SettingsRecords& a, const SettingsRecords& b)
{
    if (a.selectedPath != b.selectedPath || a.screenshotDirectory != b.screenshotDirectory ||
        a.directory != b.directory || a.noAnalyse != b.noAnalyse || a.vsync != b.vsync)
        return false;
    // An empty option and a false one both leave the button unset.
    for (std::size_t i = 0; i < a.options.size(); ++i) {
        if (a.options[i].isTrue() != b.options[i].isTrue())
            return false;
    }
    return true;
}

void checkReadValues(const RecordImage& image, const SettingsRecords& read)
{
    const std::string* texts[] = {&read.selectedPath, &read.screenshotDirectory, &read.directory};
    for (int record = 1; record <= 3; ++record) {
        const std::string source = image.getString(record);
        require(source.size() <= lumora::maxStringBytes, "a string record yields more than 126 bytes");
        const std::string& text = *texts[record - 1];
        require(isValidUtf8(text), "a string record decodes to invalid UTF-8");
        // Every code-page byte has its own character, so the text must map
        // back to exactly the bytes it came from.
#ifndef _WIN32
        const auto back = lumora::toCodePage(text);
        require(back.has_value(), "a decoded string has no code-page form");
        require(*back == source, "a decoded string does not map back to its bytes");
#endif
    }
    for (const TaggedValue& option : read.options) {
        require(option.tag == TaggedValue::Empty || option.tag == TaggedValue::Boolean,
                "an option record yields a tag other than empty or Boolean");
        require(option.tag == TaggedValue::Boolean || option.value == 0, "an empty option carries a value");
    }
    require(read.noAnalyse >= 0 && read.noAnalyse <= 2, "noAnalyse is not a check-box value");
    require(read.vsync >= 0 && read.vsync <= 2, "vsync is not a check-box value");
}

// Where each of the fifteen values sits and how many bytes a save writes.
bool insideWrittenSpan(std::size_t offset, const SettingsRecords& saved)
{
    const std::size_t record = offset / lumora::recordLength + 1;
    const std::size_t at = offset % lumora::recordLength;
    if (record <= 3) {
        const std::string* texts[] = {&saved.selectedPath, &saved.screenshotDirectory, &saved.directory};
        return at < 2 + lumora::toCodePage(*texts[record - 1]).value_or(std::string()).size();
    }
    if (record <= 13)
        return at < 4;
    if (record <= 15)
        return at < 2;
    return false;
}

void checkSaveRoundTrip(const RecordImage& original, const SettingsRecords& read)
{
    // Into an empty file, as on the first save.
    RecordImage fresh;
    require(lumora::writeSettings(fresh, read).empty(), "a value read from a file cannot be saved whole");
    require(sameValues(lumora::readSettings(fresh), read), "saving the read values into a new file changes them");

    // Over the file itself, as SaveRecord does: the values come back and every
    // byte outside them stays as the file had it.
    RecordImage resaved = original;
    require(lumora::writeSettings(resaved, read).empty(), "a value read from a file cannot be saved over it");
    require(sameValues(lumora::readSettings(resaved), read), "saving the read values over the file changes them");
    const Bytes& before = original.bytes();
    const Bytes& after = resaved.bytes();
    require(after.size() >= before.size(), "saving over the file shortens it");
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (after[i] != before[i] && !insideWrittenSpan(i, read))
            broken("saving over the file changes a byte outside the values");
    }
    for (std::size_t i = before.size(); i < after.size(); ++i) {
        if (after[i] != 0 && !insideWrittenSpan(i, read))
            broken("saving over the file extends it with stray bytes");
    }
}

// A directory of this process's own, removed again when the process ends.
class ScratchDirectory {
public:
    ScratchDirectory()
        : path_(std::filesystem::temp_directory_path() / ("lumora-settings-fuzz-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(path_);
    }
    ~ScratchDirectory()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

void checkThroughFile(const Bytes& bytes, const SettingsRecords& read)
{
    static const ScratchDirectory scratch;
    const std::filesystem::path path = scratch.path() / lumora::settingsFileName;
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        require(static_cast<bool>(out), "cannot write the scratch settings file");
    }
    lumora::RecordFile file(path);
    const RecordImage onDisk = file.read(lumora::settingsRecordCount);
    const std::size_t recordBytes = std::size_t{lumora::settingsRecordCount} * lumora::recordLength;
    require(onDisk.bytes() == Bytes(bytes.begin(), bytes.begin() + std::ptrdiff_t(std::min(bytes.size(), recordBytes))),
            "reading a settings file does not give its records' bytes");
    require(sameValues(lumora::readSettings(onDisk), read), "the file and the bytes read differently");

    RecordImage saved = onDisk;
    lumora::writeSettings(saved, read);
    file.write(saved);
    const RecordImage again = file.read(lumora::settingsRecordCount);
    require(again.bytes() == saved.bytes(), "a saved settings file does not read back as written");
    require(sameValues(lumora::readSettings(again), read), "a saved settings file reads different values");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static unsigned runs = 0;
    const Bytes bytes(data, data + size);
    const RecordImage image(bytes);

    const SettingsRecords read = lumora::readSettings(image);
    checkReadValues(image, read);
    // Reading is pure: the same bytes give the same values every time.
    require(sameValues(lumora::readSettings(image), read), "reading the same bytes twice differs");
    checkSaveRoundTrip(image, read);

    if (runs++ % fileRoundEvery == 0)
        checkThroughFile(bytes, read);
    return 0;
}
