// Windows' rule for file names, as the overlay and patchkit apply it on every host, against the
// system itself: the same key as the Win32 file service's for every character code page 932
// holds, every byte pair that is none and the last names that are devices, and one file on
// disk for every pair of characters the rule folds together.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/file_names.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/text_encoding.h"
#include "tests/contract/name_twins.h"
#include "tests/support/scratch_folder.h"

namespace {

using namespace platform;

// Every character of code page 932, one or two bytes; with pairsThatAreNone, also every pair
// of a lead byte and a trail byte that is no character.
std::vector<std::string> everyCharacter(bool pairsThatAreNone = false) {
    std::vector<std::string> characters;
    std::string utf8;
    auto add = [&](std::string bytes) {
        if (cp932ToUtf8(bytes, utf8) || (pairsThatAreNone && bytes.size() == 2)) characters.push_back(bytes);
    };
    for (int c = 1; c < 0x100; ++c) {
        if (!isCp932LeadByte(static_cast<uint8_t>(c))) {
            add(std::string(1, static_cast<char>(c)));
            continue;
        }
        for (int trail = 0x40; trail <= 0xFC; ++trail) add({static_cast<char>(c), static_cast<char>(trail)});
    }
    return characters;
}

// The names include the byte pairs that the narrow calls read as the default character, and
// last names that GetFullPathNameW takes for a device.
TEST(WindowsNameRuleOnWin32, EveryCharacterGetsTheSystemsKey) {
    testing_support::ScratchFolder folder;
    std::vector<std::string> names;
    for (const std::string& c : everyCharacter(true)) names.push_back("n" + c + "n");
    ASSERT_GT(names.size(), 11000u);
    for (const char* name : {"nul.x.lnk", "NUL ", "nul .txt", "COM1.txt", "lpt9 .x ", "prn..lnk", "conin$.lnk", "CONOUT$", "com0.txt", " nul"}) {
        names.push_back(name);
    }
    int differ = 0;
    for (const std::string& c : names) {
        std::string path = folder / c;
        PathKey key;
        ASSERT_TRUE(windowsPathKeyOf(path, key)) << utf8OrRawBytes(c);
        if (key.key != files().fileKeyOf(path.c_str()) && ++differ <= 10) {
            ADD_FAILURE() << utf8OrRawBytes(c) << ": " << key.key << " against the system's " << files().fileKeyOf(path.c_str());
        }
    }
    EXPECT_EQ(differ, 0);
}

// The keys come from the system's upper case; the disk must agree that the characters each
// key gathers are one file, or the updater would skip a backup it needs.
TEST(WindowsNameRuleOnWin32, TheCharactersOneKeyGathersAreOneFileOnDisk) {
    testing_support::ScratchFolder folder;
    // Characters the code page writes twice (NEC's and IBM's rows) are one character: the
    // same UTF-16, the same name.
    std::map<std::string, std::set<std::string>> byKey;
    std::string utf8;
    for (const std::string& c : everyCharacter()) {
        PathKey key;
        if (c == "\\" || c == "/" || !cp932ToUtf8(c, utf8)) continue;
        windowsPathKeyOf(folder / ("n" + c + "n.txt"), key);
        byKey[key.key].insert(utf8);
    }
    int folded = 0;
    for (const auto& [key, characters] : byKey) {
        if (characters.size() < 2) continue;
        std::vector<std::string> names;
        for (const std::string& character : characters) {
            std::string cp932;
            utf8ToCp932(character, cp932);
            names.push_back(folder / ("n" + cp932 + "n.txt"));
        }
        FileHandle file = files().createFile(names[0].c_str(), kGenericWrite, 0, kCreateAlways);
        ASSERT_NE(file, kInvalidFileHandle) << *characters.begin();
        files().closeHandle(file);
        for (size_t i = 1; i < names.size(); ++i, ++folded) {
            EXPECT_NE(files().getFileAttributes(names[i].c_str()), kInvalidFileAttributes)
                << utf8OrRawBytes(names[i]) << " is not one file with " << utf8OrRawBytes(names[0]);
        }
        files().deleteFile(names[0].c_str());
    }
    // a-z, ａ-ｚ, Greek (ς is not in the code page), Cyrillic and the small Roman numerals.
    EXPECT_EQ(folded, 26 + 26 + 24 + 33 + 10);
}

TEST(WindowsNameRuleOnWin32, TheSystemMakesTheTwinsWindowsIsKnownToMake) {
    for (const contract::NameTwins& twins : contract::kNameTwins) {
        testing_support::ScratchFolder folder;
        folder.makeFolder("dir");
        folder.writeBytes(twins.first, "first");
        bool oneFile = files().getFileAttributes((folder / twins.second).c_str()) != kInvalidFileAttributes;
        EXPECT_EQ(oneFile, twins.oneFileOnWindows) << twins.why;
    }
}

}  // namespace
