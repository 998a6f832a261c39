#pragma once

// The texts the updater shows, in code page 932 (the build compiles narrow literals so).
namespace app::messages {

inline constexpr const char kUpdateManifestUnreadable[] = "アップデート情報ファイルが開けませんでした";
// Follows UpdateHeader.productName.
inline constexpr const char kNotInstalledSuffix[] = "が正常にインストールされていません\nインストール後、実行してください";

// The outcome of a confirmed run; the two successes under their own caption, the failures
// under the system's default one.
inline constexpr const char kCompletedCaption[] = "完了";
inline constexpr const char kUpdateCompleted[] = "アップデートが完了しました";
inline constexpr const char kRemovalCompleted[] = "アップデートファイルの削除が完了しました";
inline constexpr const char kUpdateFailed[] = "アップデートに失敗しました";
inline constexpr const char kRemovalFailed[] = "アップデートファイルの削除に失敗しました";

}  // namespace app::messages
