#pragma once

#include <string>

// What the updater tells at the end of a confirmed run, as the cases expect to read it.
namespace e2e {

inline const std::string kUpdateCompleted = "アップデートが完了しました";
inline const std::string kRemovalCompleted = "アップデートファイルの削除が完了しました";
inline const std::string kUpdateFailed = "アップデートに失敗しました";
inline const std::string kRemovalFailed = "アップデートファイルの削除に失敗しました";
inline const std::string kDone = "完了";  // the caption of the two success messages

}  // namespace e2e
