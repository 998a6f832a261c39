#pragma once

// The engine's texts, in code page 932. Each follows the name or path it speaks of; they are
// joined in growable strings, so no path or name is ever cut.
namespace engine::messages {

inline constexpr const char kCopyingSuffix[] = "をコピー中...";
inline constexpr const char kDeletingSuffix[] = "を削除中...";
inline constexpr const char kOpenFailedSuffix[] = "のオープンに失敗しました";
inline constexpr const char kDeleteFailedSuffix[] = "の削除に失敗しました";
inline constexpr const char kWriteFailedSuffix[] = "の書き込みに失敗しました";
inline constexpr const char kBackupFailedSuffix[] = "のバックアップに失敗しました";
inline constexpr const char kPathTooLongSuffix[] = "のパスが長すぎます";

}  // namespace engine::messages
