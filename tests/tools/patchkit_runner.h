#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "tests/tools/host_tree.h"
#include "tools/patchkit/commands.h"
#include "tools/patchkit/json_text.h"

namespace patchkit_testing {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

// The tool as its user runs it, in-process: UTF-8 arguments in, exit status and output out.
inline Outcome patchkit(const std::vector<std::string>& arguments) {
    std::ostringstream out, err;
    int status = patchkit::runPatchkit(arguments, out, err, false);
    return {status, out.str(), err.str()};
}

inline patchkit::Json jsonOf(const std::string& text) { return patchkit::Json::parse(text); }

// A description with every field used, Japanese texts, an unused slot in the middle and one
// entry with its own extra value.
inline const std::string kSampleDescription = u8R"({
  "update": {
    "title": "サンプル製品 アップデート",
    "updateName": "サンプル製品 1.1",
    "note": "終了してから更新してください",
    "productName": "サンプル製品",
    "registryKey": "Software\\Maker\\Sample",
    "registryValue": "InstallFolder",
    "carriedStrings": ["1.1", "", "メモ"],
    "shortcuts": [
      {"nameTemplate": "%s", "target": "Sample.exe"},
      null,
      {"nameTemplate": "%s 設定", "target": "Sample.exe /settings"}
    ],
    "extra": 7,
    "entryExtra": {"表/ソ.txt": 9}
  },
  "install": {
    "templateArgument": "サンプル製品",
    "shortcutFolderTemplate": "%s\\",
    "carriedStrings": ["1.0"],
    "shortcuts": [{"nameTemplate": "%s", "target": "Sample.exe"}]
  }
})";

// A tree whose names hold double-byte characters with a 0x5C trail byte: the folder 表
// (0x95 0x5C) and the file ソ.txt (0x83 0x5C ...).
inline void writeSampleTree(const HostTree& tree, const std::string& root) {
    tree.write(root + "/Sample.exe", "program 1.1");
    tree.write(root + u8"/表/ソ.txt", "manual");
    tree.write(root + u8"/表/深い/data.bin", std::string("\0\1\2\3", 4));
    tree.folder(root + "/empty");
}

}  // namespace patchkit_testing
