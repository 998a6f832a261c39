// The record's list operations against their literal definitions: the same random operations
// on both, every result and every counter compared at each step, the saved bytes at the end.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "manifest/manifests.h"
#include "tests/support/manifest_builder.h"
#include "tests/support/scratch_folder.h"

namespace {

using manifest::ManifestEntry;
using manifest::UninstallHeader;

// A scan from index 0 for every find, and a removal that moves every later record down at once.
struct LiteralRecord {
    UninstallHeader header{};
    std::vector<ManifestEntry> slots;

    uint32_t find(const char* name) const {
        for (uint32_t i = 0; i < header.entryCount; ++i) {
            if (manifest::namesMatch(slots[i].name, name)) return i;
        }
        return header.entryCount;
    }
    void append(const ManifestEntry& e) {
        ManifestEntry& slot = slots[header.entryCount++] = ManifestEntry{};
        std::memcpy(slot.name, e.name, std::strlen(e.name) + 1);
        slot.size = e.size;
        slot.extra = e.extra;
        if (!manifest::isDirectoryEntry(e)) header.fileCount += 1, header.totalBytes += e.size;
    }
    void update(uint32_t i, const ManifestEntry& e) {
        if (manifest::isDirectoryEntry(slots[i])) return;
        header.totalBytes = header.totalBytes + e.size - slots[i].size;
        slots[i].size = e.size;
        slots[i].extra = e.extra;
    }
    void remove(uint32_t i, const ManifestEntry& e) {
        if (manifest::isDirectoryEntry(slots[i])) return;
        for (uint32_t k = i + 1; k < header.entryCount; ++k) slots[k - 1] = slots[k];
        header.entryCount -= 1, header.fileCount -= 1, header.totalBytes -= e.size;
    }
    std::string bytes() const {
        return testing_support::manifestBytes(header, {slots.begin(), slots.begin() + header.entryCount});
    }
};

class EntryListDifferential : public ::testing::TestWithParam<unsigned> {};

TEST_P(EntryListDifferential, FastOperationsGiveTheLiteralResultsAndBytes) {
    std::mt19937 random(GetParam());
    auto pick = [&](uint32_t bound) { return static_cast<uint32_t>(random() % bound); };
    // Few names, so that matches and duplicates abound; ア (0x83 0x41) folds its trail byte,
    // full-width Ａ (0x82 0x60) does not fold to ａ.
    const std::vector<std::string> names = {"a.txt", "Dir\\", "dir\\Sub.bin", "b", "\x83\x41", "\x82\x60.txt", "\x82\x81.txt", "c\\"};
    auto someEntry = [&] {
        std::string name = names[pick(static_cast<uint32_t>(names.size()))];
        for (char& c : name) {
            if (std::isalpha(static_cast<unsigned char>(c)) && pick(2)) c ^= 0x20;
        }
        return testing_support::entry(name, pick(5000), pick(4));
    };

    // Little spare room, so that removed slots still held fill it before an append.
    const uint32_t initial = pick(40), capacity = initial + 6, steps = 400;
    LiteralRecord literal;
    literal.slots.resize(capacity);
    for (uint32_t i = 0; i < initial; ++i) literal.append(someEntry());
    literal.header.reserved[7] = 0x5A;
    auto slots = std::make_unique<ManifestEntry[]>(capacity);
    std::copy(literal.slots.begin(), literal.slots.begin() + initial, slots.get());
    manifest::UninstallManifest fast;
    fast.assign(literal.header, std::move(slots), capacity);

    for (uint32_t step = 0; step < steps; ++step) {
        ManifestEntry e = someEntry();
        uint32_t count = literal.header.entryCount;
        uint32_t kind = pick(10);
        if (kind < 7) {  // an update entry as the engine handles it, in either mode
            uint32_t found = literal.find(e.name);
            ASSERT_EQ(fast.findEntry(e.name), found) << "step " << step << " " << e.name;
            bool removal = kind >= 4;
            if (found == count && !removal && count < capacity) literal.append(e), fast.appendEntry(e);
            if (found < count && !removal) literal.update(found, e), fast.updateEntry(found, e);
            if (found < count && removal) literal.remove(found, e), fast.removeEntry(found, e);
        } else if (kind == 7 && count > 0) {  // any index, a later duplicate included
            uint32_t i = pick(count);
            literal.remove(i, e), fast.removeEntry(i, e);
        } else if (kind == 8 && count > 0) {
            uint32_t i = pick(count);
            literal.update(i, e), fast.updateEntry(i, e);
        } else {  // a reader looks at the array between operations
            ASSERT_EQ(std::memcmp(fast.entries(), literal.slots.data(), count * sizeof(ManifestEntry)), 0) << "step " << step;
        }
        ASSERT_EQ(std::memcmp(&fast.header, &literal.header, sizeof(UninstallHeader)), 0) << "step " << step;
    }

    testing_support::ScratchFolder folder;
    manifest::saveUninstallManifest(folder / "Uninstallinf.dat", fast);
    EXPECT_EQ(folder.readBytes("Uninstallinf.dat"), literal.bytes());
}

INSTANTIATE_TEST_SUITE_P(Seeds, EntryListDifferential, ::testing::Range(1u, 41u));

}  // namespace
