// Update.exe runs elevated from a folder the user downloaded. Through a whole run
// (confirmation, copy under the progress dialog, the outcome, a shortcut made through the shell
// and COM) every module in its process must come from the system folder or the side-by-side
// store, with a DLL planted beside it under every name that the run loads. Wine's loader trace
// (WINEDEBUG=+loaddll) shows each load with its path, a DLL loaded and freed again included.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <regex>
#include <set>
#include <sstream>

#include "platform/shell.h"
#include "platform/text_encoding.h"
#include "tests/wine_driver/dialog.h"
#include "tests/e2e/harness/updater_case.h"
#include "tests/support/manifest_builder.h"

namespace {

namespace fs = std::filesystem;
using wine_driver::Dialog;
using wine_driver::kIdOk;

const std::string kTraceLoads = "WINEDEBUG=+pid,+loaddll";
constexpr int kCsidlWindows = 0x24;

std::string lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}
std::string nameOf(const std::string& path) { return lowered(path.substr(path.rfind('\\') + 1)); }
std::string folderOf(const std::string& path) { return lowered(path.substr(0, path.rfind('\\') + 1)); }

// A path as Wine's trace writes UTF-16 (debugstr_w), in UTF-8: "\\" and "\"" stand for the
// character itself, "\XXXX" for a unit beyond ASCII.
std::string untraced(const std::string& traced) {
    std::string utf8;
    for (size_t i = 0; i < traced.size(); ++i) {
        if (traced[i] != '\\' || !std::isxdigit(static_cast<unsigned char>(traced[i + 1]))) {
            utf8 += traced[i] == '\\' ? traced[++i] : traced[i];
            continue;
        }
        unsigned unit = std::stoul(traced.substr(i + 1, 4), nullptr, 16);
        i += 4;
        if (unit >= 0x800) utf8 += static_cast<char>(0xE0 | unit >> 12);
        utf8 += static_cast<char>(unit >= 0x800 ? 0x80 | (unit >> 6 & 0x3F) : 0xC0 | unit >> 6);
        utf8 += static_cast<char>(0x80 | (unit & 0x3F));
    }
    return utf8;
}

// Every module that the process of `program` loaded, in the trace's order, the program first:
// "PID:TID:trace:loaddll:build_module Loaded L"PATH" at ..." lines of that process id.
std::vector<std::string> modulesLoadedBy(const std::string& trace, const std::string& program) {
    static const std::regex load(R"re(^([0-9a-f]+):[0-9a-f]+:trace:loaddll:build_module Loaded L"(.*)" at )re");
    std::vector<std::string> paths;
    std::string process;
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (!std::regex_search(line, match, load)) continue;
        std::string path = untraced(match[2]);
        if (process.empty() && nameOf(path) == lowered(program)) process = match[1];
        if (!process.empty() && match[1] == process) paths.push_back(path);
    }
    return paths;
}

// The image with its entry point moved onto a return instruction: run, it loads what the image
// imports, initialises those DLLs and ends before its first statement.
std::string endingBeforeItsFirstStatement(std::string image) {
    auto field = [&](size_t at) {
        uint32_t value = 0;
        std::memcpy(&value, image.data() + at, 4);
        return value;
    };
    uint32_t header = field(0x3C), entryAt = header + 24 + 16, entry = field(entryAt);
    uint32_t sections = header + 24 + (field(header + 20) & 0xFFFF);
    for (uint32_t section = 0; section < (field(header + 6) & 0xFFFF); ++section) {
        uint32_t address = field(sections + 40 * section + 12), size = field(sections + 40 * section + 16);
        uint32_t start = field(sections + 40 * section + 20);
        size_t ret = image.find('\xC3', start);
        if (entry < address || entry >= address + size || ret >= start + size) continue;
        uint32_t moved = address + static_cast<uint32_t>(ret - start);
        std::memcpy(image.data() + entryAt, &moved, 4);
    }
    return image;
}

class PlantedDlls : public e2e::UpdaterCase {
protected:
    void SetUp() override {
        UpdaterCase::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        aimUpdateAtInstallation();
        update().addFile("表計算.exe", std::string(250000, 'n'));
        testing_support::setText(update().header.shortcuts[0].nameTemplate, "%s");
        testing_support::setText(update().header.shortcuts[0].target, "表計算.exe");
        update().write();
        installation().addFile("表計算.exe", std::string(3000, 'x'));
        testing_support::setText(installation().record.header.templateArgument, "表計算ソフト");
        testing_support::setText(installation().record.header.shortcutFolderTemplate, "%s\\");
        installation().install(kRegistryKey, kRegistryValue);
        std::string folder = probe().specialFolder(platform::kCsidlPrograms) + "\\表計算ソフト\\";
        session().makeFolder(folder);
        link_ = folder + "表計算ソフト.lnk";
        canaries_ = (fs::path(session().build().folder) / "tests" / "e2e" / "canary").string();
        session().copyFromHost(canaries_ + "/canary_loader.exe", std::string(kUpdateFolder) + "canary_loader.exe");
    }

    // A whole run: confirmed, the files copied, the outcome's box dismissed, the shortcut made
    // anew (the record is written back first, so that its slot differs again). Wine's trace
    // goes to the run's error output.
    std::string wholeRun(const std::vector<std::string>& environment) {
        installation().writeRecord();
        fs::remove(session().hostPath(link_));
        std::unique_ptr<wine_driver::WineProgram> updater = startUpdater({}, environment);
        std::optional<Dialog> confirmation = probe().waitForDialog();
        if (!confirmation || !probe().press(*confirmation, kIdOk)) {
            ADD_FAILURE() << "no confirmation dialog";
            return updater->errors();
        }
        std::optional<int> exitCode;
        for (int step = 0; step < 20 && !(exitCode = updater->waitForExit(std::chrono::milliseconds(500))); ++step) {
            std::optional<Dialog> shown = probe().waitForDialog(std::chrono::milliseconds(2000));
            if (!shown) continue;
            std::vector<const wine_driver::Control*> buttons = shown->visibleButtons();
            if (buttons.size() == 1 && buttons[0]->id == kIdOk) probe().press(*shown, kIdOk);
        }
        EXPECT_TRUE(exitCode) << "Update.exe still runs";
        std::optional<wine_driver::Probe::Shortcut> shortcut = probe().readShortcut(link_);
        EXPECT_TRUE(shortcut && shortcut->target == installation().folder() + "表計算.exe")
            << "the run made no shortcut: " << wine_driver::readable(link_);
        return updater->errors();
    }

    std::string link_;
    std::string canaries_;
};

TEST_F(PlantedDlls, EveryModuleOfAWholeRunComesFromTheSystem) {
    // Wine has neither KnownDLLs nor dependent-load flags: it takes a planted DLL under the
    // name of one that the image imports (or that those load as they start) before the first
    // statement, where no program has a say. Those names are left to the image check; the
    // system folder is the one the loader itself took kernel32.dll from.
    std::string stub = std::string(kUpdateFolder) + "entry-stub.exe";
    session().writeFile(stub, endingBeforeItsFirstStatement(wine_driver::readWholeFile(session().build().updater)));
    wine_driver::Completed stubRun = session().run(stub, {}, std::chrono::seconds(30), {kTraceLoads});
    ASSERT_FALSE(stubRun.timedOut) << "the image with its entry point on a return did not end by itself";
    std::vector<std::string> early = modulesLoadedBy(stubRun.err, "entry-stub.exe");
    std::set<std::string> loadedEarly;
    std::string systemFolder;
    for (const std::string& path : early) {
        loadedEarly.insert(nameOf(path));
        if (nameOf(path) == "kernel32.dll") systemFolder = folderOf(path);
    }
    ASSERT_FALSE(systemFolder.empty()) << "no kernel32.dll in the loader's trace of the image";
    std::string windowsFolder;
    ASSERT_TRUE(platform::cp932ToUtf8(probe().specialFolder(kCsidlWindows), windowsFolder));
    std::string sideBySide = lowered(windowsFolder + "\\winsxs\\");

    std::vector<std::string> planted;
    std::vector<std::string> traced = modulesLoadedBy(wholeRun({kTraceLoads}), "Update.exe");
    for (size_t i = 1; i < traced.size(); ++i) {
        std::string name = nameOf(traced[i]);
        if (!loadedEarly.count(name) && std::find(planted.begin(), planted.end(), name) == planted.end()) {
            planted.push_back(name);
            session().copyFromHost(canaries_ + "/canary.dll", kUpdateFolder + name);
        }
    }
    ASSERT_FALSE(planted.empty()) << "the trace shows no DLL loaded after the first statement";
    std::string overrides;
    for (const std::string& name : planted) overrides += (overrides.empty() ? "" : ",") + name;
    std::cout << "[ planted  ] " << overrides << std::endl;
    overrides = "UPDATER_DLL_OVERRIDES=" + overrides + "=n,b";

    // Named n,b, every one is found beside a program without the restriction and taken.
    std::string loader = std::string(kUpdateFolder) + "canary_loader.exe";
    wine_driver::Completed control = session().run(loader, planted, std::chrono::seconds(30), {overrides, kTraceLoads});
    std::vector<std::string> controlLoads = modulesLoadedBy(control.err, "canary_loader.exe");
    ASSERT_FALSE(controlLoads.empty()) << "no trace of the control run\n" << control.err;
    std::set<std::string> takenFromBeside;
    for (const std::string& path : controlLoads) {
        if (folderOf(path) == folderOf(controlLoads.front())) takenFromBeside.insert(nameOf(path));
    }
    for (const std::string& name : planted) EXPECT_TRUE(takenFromBeside.count(name)) << "the control did not take the planted " << name;

    std::vector<std::string> modules = modulesLoadedBy(wholeRun({overrides, kTraceLoads}), "Update.exe");
    ASSERT_FALSE(modules.empty()) << "no trace of the run";
    for (size_t i = 1; i < modules.size(); ++i) {
        const std::string& path = modules[i];
        EXPECT_TRUE(folderOf(path) == systemFolder || lowered(path).rfind(sideBySide, 0) == 0) << "Update.exe loaded " << path;
        EXPECT_TRUE(loadedEarly.count(nameOf(path)) || std::count(planted.begin(), planted.end(), nameOf(path)))
            << path << " was loaded and not planted";
    }
}

}  // namespace
