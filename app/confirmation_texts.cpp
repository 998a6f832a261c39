#include "app/confirmation_texts.h"

#include <cstring>

namespace app {
namespace {

constexpr const char kRemovalCaptionSuffix[] = "ファイルの削除";
constexpr const char kMessageSuffix[] = "を行います";
constexpr const char kRemovalMessageSuffix[] = "ファイルの削除を行います";

// Loading refuses a header whose texts lack a terminator; the bound keeps a header that came
// from anywhere else from reading past its field all the same.
std::string fieldText(const char (&field)[manifest::kHeaderTextWidth]) {
    return std::string(field, strnlen(field, sizeof field));
}

}  // namespace

ConfirmationTexts confirmationTexts(const manifest::UpdateHeader& header, bool removalMode) {
    ConfirmationTexts texts;
    texts.caption = fieldText(header.title);
    if (removalMode) texts.caption += kRemovalCaptionSuffix;
    texts.message = fieldText(header.updateName) + (removalMode ? kRemovalMessageSuffix : kMessageSuffix);
    texts.note = fieldText(header.note);
    return texts;
}

}  // namespace app
