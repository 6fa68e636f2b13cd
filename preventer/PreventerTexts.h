#pragma once
// Texts of the duplicate preventer and the undo command: what the user sees and the names the
// preventer registers with the host.

#include <string_view>

namespace kx::preventer::text {

// Shown in the host's status bar while a rule is installed or removed.
inline constexpr std::string_view Applying = "Applied...!";

// The rule's own texts: the title of its input tip, and what the host says when it refuses.
inline constexpr std::string_view RuleInputTitle = "Duplicate";
inline constexpr std::string_view RuleErrorMessage = "Duplicate Entry!";

// Names the host's undo command and Ctrl+Z are bound to once the dialog has done its work.
inline constexpr std::string_view UndoText = "kestrix_Undo";
inline constexpr std::string_view UndoProcedure = "undo_changes";
inline constexpr std::string_view UndoKey = "^z";

// What the undo command says when it cannot write the saved contents back.
inline constexpr std::string_view NothingToUndo = "Nothing to Undo!";
inline constexpr std::string_view UndoFailed = "Undo Command Failed!";

}  // namespace kx::preventer::text
