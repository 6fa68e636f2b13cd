#pragma once
// What `show` prints: the selection's cells with the text each shows, its fill colour, the
// hidden rows and the validation rule that covers it.

#include <string>

#include "memhost/model/Book.h"

namespace kx::cli {

// One line per cell of the selection within the used area; empty cells are listed too, so a
// cleared cell can be seen. With `json`, a JSON array of cells instead.
std::string ShowCells(const memhost::Book& book, bool json);

}  // namespace kx::cli
