#pragma once
// A book that did not come from an .xlsx file (a new book, or one read from .csv) is saved
// through the same writer as any other: into an empty package made for it, with every cell,
// hidden row and rule counted as changed.

#include <memory>

#include "files/FileError.h"
#include "files/XlsxSource.h"
#include "memhost/model/Book.h"

namespace kx::files {

// An empty package with the book's sheets, as if read from a file.
FileResult<std::shared_ptr<XlsxSource>> EmptyPackageFor(const memhost::Book& book,
                                                        const std::string& targetName);

}  // namespace kx::files
