#include "app/confirmation_texts.h"

#include "manifest/text_fields.h"

namespace app {
namespace {

using manifest::fieldText;

constexpr const char kRemovalCaptionSuffix[] = "ファイルの削除";
constexpr const char kMessageSuffix[] = "を行います";
constexpr const char kRemovalMessageSuffix[] = "ファイルの削除を行います";

}  // namespace

ConfirmationTexts confirmationTexts(const manifest::UpdateHeader& header, bool removalMode) {
    ConfirmationTexts texts;
    texts.caption = fieldText(header.title);
    if (removalMode) texts.caption += kRemovalCaptionSuffix;
    texts.message = std::string(fieldText(header.updateName)) + (removalMode ? kRemovalMessageSuffix : kMessageSuffix);
    texts.note = fieldText(header.note);
    return texts;
}

}  // namespace app
