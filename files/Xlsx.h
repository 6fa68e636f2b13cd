#pragma once
// The .xlsx reader and writer behind OpenWorkbook and SaveWorkbook.

#include <memory>
#include <string>

#include "files/FileError.h"
#include "files/Files.h"
#include "memhost/model/Book.h"

namespace kx::files {

// `bytes` is the whole file; `fileName` names it in messages.
FileResult<std::shared_ptr<memhost::Book>> ReadXlsx(std::shared_ptr<const std::string> bytes,
                                                    const std::string& fileName,
                                                    const OpenOptions& options);

// Writes the book's package to the descriptor `fd`; `targetName` names the target in messages
// and its extension gives the package its type (.xlsx, .xlsm, .xltx, .xltm).
FileResult<void> WriteXlsx(const memhost::Book& book, int fd, const std::string& targetName);

// Refuses a target whose extension cannot hold what the book holds: macros in an .xlsx.
FileResult<void> CheckXlsxTarget(const memhost::Book& book, const std::string& targetName);

// Refuses XML no workbook part ever contains (document type declarations, which is where
// entity expansion attacks live) or that we cannot read (UTF-16).
FileResult<void> CheckPartXml(std::string_view xml, const std::string& what);

}  // namespace kx::files
