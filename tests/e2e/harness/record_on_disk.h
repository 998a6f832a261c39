#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace e2e {

// Uninstallinf.dat read back by its documented offsets alone, without the product's layouts
// or loader, so that a case checks what the updater wrote against the format itself.
class RecordOnDisk {
public:
    static constexpr size_t kHeaderSize = 5456;
    static constexpr size_t kEntrySize = 280;
    static constexpr size_t kCarriedStrings = 912;
    static constexpr size_t kTextWidth = 128;
    static constexpr size_t kShortcuts = 1296;
    static constexpr size_t kSlotSize = 520;

    struct Entry {
        std::string name;
        uint64_t size = 0;
        uint32_t extra = 0;
        bool operator==(const Entry& other) const {
            return name == other.name && size == other.size && extra == other.extra;
        }
    };

    explicit RecordOnDisk(std::string bytes) : bytes_(std::move(bytes)) {}

    const std::string& bytes() const { return bytes_; }
    // Header plus entryCount records, nothing more or less.
    bool whole() const { return bytes_.size() >= kHeaderSize && bytes_.size() == kHeaderSize + kEntrySize * entryCount(); }
    uint32_t entryCount() const { return number<uint32_t>(128); }
    uint32_t fileCount() const { return number<uint32_t>(132); }
    uint64_t totalBytes() const { return number<uint64_t>(136); }
    // The whole 128-byte field, terminator and what follows it included.
    std::string carriedString(int k) const { return bytes_.substr(kCarriedStrings + kTextWidth * k, kTextWidth); }
    // Shortcut slot k, its name template and its target, 260 bytes each.
    std::string shortcutSlot(int k) const { return bytes_.substr(kShortcuts + kSlotSize * k, kSlotSize); }
    // The header with the counters and the carried strings blanked: what the updater must
    // leave as it found it.
    std::string untouchedHeader() const {
        std::string header = bytes_.substr(0, kHeaderSize);
        header.replace(128, 16, 16, '\0');
        header.replace(kCarriedStrings, 3 * kTextWidth, 3 * kTextWidth, '\0');
        return header;
    }
    std::vector<Entry> entries() const {
        std::vector<Entry> list;
        for (size_t at = kHeaderSize; at + kEntrySize <= bytes_.size(); at += kEntrySize) {
            list.push_back({std::string(bytes_.c_str() + at), number<uint64_t>(at + 264), number<uint32_t>(at + 272)});
        }
        return list;
    }

    // A text field's 128 bytes as the updater stores a string: the text, then zeros.
    static std::string field(const std::string& text) { return text + std::string(kTextWidth - text.size(), '\0'); }
    // A shortcut slot as the updater records one: each text, then zeros.
    static std::string slot(const std::string& nameTemplate, const std::string& target) {
        return nameTemplate + std::string(kSlotSize / 2 - nameTemplate.size(), '\0') + target +
               std::string(kSlotSize / 2 - target.size(), '\0');
    }

private:
    template <class Number>
    Number number(size_t at) const {
        Number value = 0;
        for (size_t i = 0; i < sizeof value && at + i < bytes_.size(); ++i) {
            value |= static_cast<Number>(static_cast<uint8_t>(bytes_[at + i])) << (8 * i);
        }
        return value;
    }

    std::string bytes_;
};

}  // namespace e2e
