#include <map>
#include <random>

#include <gtest/gtest.h>

#include "CoreTestSupport.h"
#include "core/SettingsRecords.h"

namespace lumora {
namespace {

using Bytes = std::vector<unsigned char>;
using test::errorNumber;

Bytes slotStart(const RecordImage& image, int record, std::size_t count)
{
    const std::size_t offset = static_cast<std::size_t>(record - 1) * recordLength;
    const Bytes& bytes = image.bytes();
    if (offset + count > bytes.size())
        return {};
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                 bytes.begin() + static_cast<std::ptrdiff_t>(offset + count));
}

SettingsRecords sampleSettings()
{
    SettingsRecords s;
    s.selectedPath = "C:\\ROMS\\PUZZLE.ZIP";
    s.screenshotDirectory = "D:\\SHOTS";
    s.directory = "C:\\ROMS\\\xC3\xA9t\xC3\xA9"; // é
    s.options[1] = TaggedValue::fromBool(true);  // optSkip2
    s.options[9] = TaggedValue::fromBool(true);  // optModex
    s.vsync = 1;
    return s;
}

TEST(RecordImage, PutsTouchOnlyTheirOwnSlot)
{
    RecordImage image;
    image.putString(3, "abc");
    EXPECT_EQ(image.bytes().size(), 2 * recordLength + 5);
    image.putInteger(1, 0x1234);
    image.putString(2, std::string(126, 'x'));
    image.putString(4, "");
    EXPECT_EQ(image.getString(3), "abc");
    EXPECT_EQ(image.getInteger(1), 0x1234);
    EXPECT_EQ(image.getString(2), std::string(126, 'x'));
    EXPECT_EQ(slotStart(image, 4, 2), (Bytes{0, 0}));

    const Bytes before = image.bytes();
    EXPECT_EQ(errorNumber([&] { image.putString(1, std::string(127, 'x')); }), err::BadRecordLength);
    EXPECT_EQ(errorNumber([&] { image.putInteger(0, 1); }), 63);
    EXPECT_EQ(errorNumber([&] { (void)image.getString(-5); }), 63);
    EXPECT_EQ(image.bytes(), before);
}

TEST(RecordImage, DamagedSlotsReadAsEmpty)
{
    const std::pair<Bytes, const char*> strings[] = {{{127, 0}, ""}, {{5, 0, 'a', 'b'}, ""},  {{1}, ""},
                                                     {{}, ""},       {{0xFF, 0xFF, 'a'}, ""}, {{2, 0, 'a', 'b'}, "ab"}};
    for (const auto& [bytes, text] : strings)
        EXPECT_EQ(RecordImage(bytes).getString(1), text);
    EXPECT_FALSE(RecordImage(Bytes{11, 0, 0xFF}).getTagged(1).isTrue());
    EXPECT_EQ(RecordImage(Bytes{7, 0, 1, 0}).getTagged(1), TaggedValue{});
    EXPECT_EQ(RecordImage(Bytes{11, 0, 1, 0}).getTagged(1), (TaggedValue{TaggedValue::Boolean, 1}));
    EXPECT_EQ(RecordImage(Bytes{0x34}).getInteger(1), 0);
    EXPECT_EQ(RecordImage(Bytes{0xFE, 0xFF}).getInteger(1), -2);

    RecordImage foreign; // values no save writes
    foreign.putInteger(14, 3);
    foreign.putInteger(15, -1);
    foreign.putTagged(4, TaggedValue{2, 1});
    const SettingsRecords read = readSettings(foreign);
    EXPECT_TRUE(read.noAnalyse == 0 && read.vsync == 0 && read.options[0] == TaggedValue{});
}

TEST(SettingsRecords, GoldenBytesAndRoundTrip)
{
    RecordImage image;
    EXPECT_TRUE(writeSettings(image, sampleSettings()).empty());
    EXPECT_EQ(slotStart(image, 1, 20), (Bytes{0x12, 0x00, 0x43, 0x3A, 0x5C, 0x52, 0x4F, 0x4D, 0x53, 0x5C,
                                              0x50, 0x55, 0x5A, 0x5A, 0x4C, 0x45, 0x2E, 0x5A, 0x49, 0x50}));
    EXPECT_EQ(slotStart(image, 3, 13), (Bytes{11, 0, 'C', ':', '\\', 'R', 'O', 'M', 'S', '\\', 0xE9, 't', 0xE9}));
    for (int record = 4; record <= 13; ++record) {
        const unsigned char value = (record == 5 || record == 13) ? 0xFF : 0x00;
        EXPECT_EQ(slotStart(image, record, 4), (Bytes{0x0B, 0x00, value, value})) << record;
    }
    EXPECT_EQ(slotStart(image, 14, 2), (Bytes{0x00, 0x00}));
    EXPECT_EQ(slotStart(image, 15, 2), (Bytes{0x01, 0x00}));

    const SettingsRecords written = sampleSettings();
    const SettingsRecords read = readSettings(image);
    EXPECT_EQ(read.selectedPath, written.selectedPath);
    EXPECT_EQ(read.screenshotDirectory, written.screenshotDirectory);
    EXPECT_EQ(read.directory, written.directory);
    for (std::size_t i = 0; i < read.options.size(); ++i)
        EXPECT_EQ(read.options[i].isTrue(), written.options[i].isTrue()) << i;
    EXPECT_EQ(read.noAnalyse, 0);
    EXPECT_EQ(read.vsync, 1);
}

TEST(SettingsRecords, TextsThatCannotBeKeptAreWrittenEmpty)
{
    SettingsRecords s;
    std::string accented; // 126 characters, 252 bytes of UTF-8, 126 in the code page
    for (int i = 0; i < 126; ++i)
        accented += "\xC3\xA9";
    s.selectedPath = accented;
    s.screenshotDirectory = std::string(127, 'b');
    s.directory = "C:\\\xCE\xA9"; // Ω has no byte
    RecordImage image;
    image.putString(2, "old text");
    const std::vector<UnkeptText> unkept = writeSettings(image, s);
    ASSERT_EQ(unkept.size(), 2u);
    EXPECT_TRUE(unkept[0].record == 2 && unkept[0].reason == UnkeptText::TooLong);
    EXPECT_TRUE(unkept[1].record == 3 && unkept[1].reason == UnkeptText::NotRepresentable);
    const SettingsRecords read = readSettings(image);
    EXPECT_EQ(read.selectedPath, accented);
    EXPECT_EQ(read.screenshotDirectory, "");
    EXPECT_EQ(read.directory, "");
}

TEST(SettingsRecords, ASaveOverOldValuesChangesTheirBytesAndNoOthers)
{
    Bytes old(15 * recordLength, 0x7E);
    const auto put = [&](Bytes& bytes, int record, const Bytes& value) {
        std::copy(value.begin(), value.end(), bytes.begin() + std::ptrdiff_t(record - 1) * 128);
    };
    put(old, 1, {8, 0, 'o', 'l', 'd', ' ', 'g', 'a', 'm', 'e'});
    put(old, 2, {8, 0, 'o', 'l', 'd', ' ', 'd', 'i', 'r', 's'});
    put(old, 3, {3, 0, 'o', 'l', 'd'});
    for (int record = 4; record <= 13; ++record)
        put(old, record, {11, 0, 0xFF, 0xFF});
    put(old, 14, {2, 0});
    put(old, 15, {2, 0});

    SettingsRecords s;
    s.selectedPath = "A";
    s.screenshotDirectory = "\xCE\xA9"; // no byte for it: the old text must not stay either
    s.directory = "C:\\D";
    s.options[3] = TaggedValue::fromBool(true);
    s.noAnalyse = 1;
    s.vsync = 0;
    RecordImage image{old};
    ASSERT_EQ(writeSettings(image, s).size(), 1u);

    Bytes expected = old;
    put(expected, 1, {1, 0, 'A'});
    put(expected, 2, {0, 0});
    put(expected, 3, {4, 0, 'C', ':', '\\', 'D'});
    for (int record = 4; record <= 13; ++record)
        put(expected, record,
            {11, 0, Bytes::value_type(record == 7 ? 0xFF : 0), Bytes::value_type(record == 7 ? 0xFF : 0)});
    put(expected, 14, {1, 0});
    put(expected, 15, {0, 0});
    EXPECT_EQ(image.bytes(), expected);
}

void expectSane(const RecordImage& image)
{
    const SettingsRecords read = readSettings(image);
    for (int record = 1; record <= 3; ++record)
        ASSERT_LE(image.getString(record).size(), maxStringBytes);
    for (const TaggedValue& option : read.options)
        ASSERT_TRUE(option.tag == TaggedValue::Empty || option.tag == TaggedValue::Boolean);
    ASSERT_TRUE(read.noAnalyse >= 0 && read.noAnalyse <= 2 && read.vsync >= 0 && read.vsync <= 2);
}

TEST(SettingsRecords, TruncatedAndRandomImagesReadSafely)
{
    RecordImage full;
    SettingsRecords s = sampleSettings();
    s.selectedPath = std::string(126, 'p');
    writeSettings(full, s);
    Bytes bytes = full.bytes();
    bytes.resize(settingsRecordCount * recordLength, 0);
    for (std::size_t length = 0; length <= bytes.size(); ++length) {
        const RecordImage cut(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length)));
        expectSane(cut);
        const std::string path = cut.getString(1); // whole or nothing, never a part
        ASSERT_TRUE(path.empty() || path == s.selectedPath) << length;
    }

    std::mt19937 random(20240601);
    for (int round = 0; round < 3000; ++round) {
        Bytes noise(random() % 2200);
        for (unsigned char& b : noise)
            b = static_cast<unsigned char>(random());
        // Small counts and tags are the interesting ones; make them common.
        for (std::size_t offset = 0; round % 2 == 0 && offset + 1 < noise.size(); offset += recordLength) {
            noise[offset] = static_cast<unsigned char>(random() % 130);
            noise[offset + 1] = 0;
        }
        expectSane(RecordImage(noise));
    }
}

// Where a text cannot be stored, its other name is, when that one fits.
TEST(SettingsRecords, ATextTheFileCannotHoldGoesByItsOtherNameWhereThatFits)
{
    SettingsRecords s;
    s.selectedPath = "C:\\GAMES\\\xCE\xA9.zip";             // Ω has no byte
    s.screenshotDirectory = "C:\\" + std::string(130, 's'); // too long
    s.directory = "C:\\\xE6\xBC\xA2";                       // no other name either
    const std::map<std::string, std::string> others = {{s.selectedPath, "C:\\GAMES\\3B7E~1.ZIP"},
                                                       {s.screenshotDirectory, "C:\\" + std::string(127, 't')}};
    std::vector<std::string> asked;
    RecordImage image;
    const std::vector<UnkeptText> unkept = writeSettings(image, s, [&](const std::string& path) {
        asked.push_back(path);
        const auto other = others.find(path);
        return other == others.end() ? std::nullopt : std::optional<std::string>(other->second);
    });
    EXPECT_EQ(asked, (std::vector<std::string>{s.selectedPath, s.screenshotDirectory, s.directory}));
    EXPECT_EQ(image.getString(1), "C:\\GAMES\\3B7E~1.ZIP");
    ASSERT_EQ(unkept.size(), 2u);
    EXPECT_TRUE(unkept[0].record == 2 && unkept[0].reason == UnkeptText::TooLong);
    EXPECT_TRUE(unkept[1].record == 3 && unkept[1].reason == UnkeptText::NotRepresentable);
    EXPECT_EQ(image.getString(2), "");
}

} // namespace
} // namespace lumora
