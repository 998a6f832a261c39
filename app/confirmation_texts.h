#pragma once

#include <string>

#include "manifest/layouts.h"

namespace app {

// The question between the sentence and the note; the template carries it and nothing
// changes it. The terminal, which has no template, prints it from here.
inline constexpr const char kConfirmationQuestion[] = "よろしいですか？";

// What the confirmation dialog shows in place of its template's caption and placeholders,
// in code page 932.
struct ConfirmationTexts {
    std::string caption;  // the dialog's window text
    std::string message;  // IDC_MESSAGE
    std::string note;     // IDC_NOTE
};

// Built from UpdateHeader's title, updateName and note; in RemovalMode the caption and the
// sentence say that files are deleted. An empty field gives an empty text or the fixed
// suffix alone.
ConfirmationTexts confirmationTexts(const manifest::UpdateHeader& header, bool removalMode);

}  // namespace app
