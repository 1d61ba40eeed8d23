#include "core/SettingsRecords.h"

#include "core/CodePage.h"
#include "core/platform/RegularFile.h"

namespace lumora {

namespace {

constexpr int firstOptionRecord = 4;
constexpr int noAnalyseRecord = 14;
constexpr int vsyncRecord = 15;

// Check-box values a save can produce; anything else is damage or a foreign
// file and reads as unchecked.
std::int16_t checkBoxValue(std::int16_t stored) { return (stored >= 0 && stored <= 2) ? stored : std::int16_t{0}; }

} // namespace

SettingsRecords readSettings(const RecordImage& image)
{
    SettingsRecords records;
    for (int record = 1; record <= 3; ++record)
        records.*textRecords[std::size_t(record - 1)] = fromCodePage(image.getString(record));
    for (std::size_t i = 0; i < records.options.size(); ++i) {
        const TaggedValue stored = image.getTagged(firstOptionRecord + static_cast<int>(i));
        records.options[i] = stored.tag == TaggedValue::Boolean ? stored : TaggedValue{};
    }
    records.noAnalyse = checkBoxValue(image.getInteger(noAnalyseRecord));
    records.vsync = checkBoxValue(image.getInteger(vsyncRecord));
    return records;
}

std::vector<UnkeptText> writeSettings(RecordImage& image, const SettingsRecords& records, const OtherName& otherName)
{
    const auto fits = [](const std::optional<std::string>& bytes) { return bytes && bytes->size() <= maxStringBytes; };
    std::vector<UnkeptText> unkept;
    for (int record = 1; record <= 3; ++record) {
        const std::string& text = records.*textRecords[std::size_t(record - 1)];
        std::optional<std::string> bytes = toCodePage(text);
        if (!fits(bytes) && otherName) {
            if (const std::optional<std::string> other = otherName(text); other && fits(toCodePage(*other))) {
                image.putString(record, *toCodePage(*other));
                continue;
            }
        }
        // Never a part of the text: a cut path would name some other file.
        if (!bytes) {
            image.putString(record, "");
            unkept.push_back({record, UnkeptText::NotRepresentable});
        } else if (bytes->size() > maxStringBytes) {
            image.putString(record, "");
            unkept.push_back({record, UnkeptText::TooLong});
        } else {
            image.putString(record, *bytes);
        }
    }
    for (std::size_t i = 0; i < records.options.size(); ++i)
        image.putTagged(firstOptionRecord + static_cast<int>(i), TaggedValue::fromBool(records.options[i].isTrue()));
    image.putInteger(noAnalyseRecord, records.noAnalyse);
    image.putInteger(vsyncRecord, records.vsync);
    return unkept;
}

} // namespace lumora
