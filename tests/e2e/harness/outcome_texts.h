#pragma once

#include <string>

// What the updater tells, as the cases expect to read it: at start-up when its own manifest
// cannot be read, and at the end of a confirmed run.
namespace e2e {

inline const std::string kUpdateManifestUnreadable = "アップデート情報ファイルが開けませんでした";

inline const std::string kUpdateCompleted = "アップデートが完了しました";
inline const std::string kRemovalCompleted = "アップデートファイルの削除が完了しました";
inline const std::string kUpdateFailed = "アップデートに失敗しました";
inline const std::string kRemovalFailed = "アップデートファイルの削除に失敗しました";
inline const std::string kDone = "完了";  // the caption of the two success messages

}  // namespace e2e
