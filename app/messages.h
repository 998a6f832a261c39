#pragma once

// The texts the updater shows, in code page 932 (the build compiles narrow literals so).
namespace app::messages {

inline constexpr const char kUpdateManifestUnreadable[] = "アップデート情報ファイルが開けませんでした";
// Follows UpdateHeader.productName.
inline constexpr const char kNotInstalledSuffix[] = "が正常にインストールされていません\nインストール後、実行してください";

}  // namespace app::messages
