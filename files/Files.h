#pragma once
// files: reading workbooks from .xlsx and .csv files into memhost's model and writing them back
// so that everything the add-in did not touch stays exactly as it was.
//
// Reading keeps the original package (Book::source); writing copies every untouched part
// byte for byte and regenerates only what changed. Writing goes to a temporary file beside the
// target that replaces it only when complete, so a failure never leaves a half-written file.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "files/FileError.h"
#include "memhost/model/Book.h"

namespace kx::files {

// Bounds that keep hostile or absurd files from exhausting memory or time.
struct Limits {
  std::uint64_t maxFileBytes = 1ull << 30;   // the file as stored
  std::uint64_t maxPartBytes = 512ull << 20; // one inflated part (a 1,000,000-row sheet is ~50 MiB)
  std::uint64_t maxTotalBytes = 1ull << 30;  // all inflated parts read together
  std::uint64_t maxRatio = 1000;             // inflated : stored, for parts over 1 MiB
  std::uint64_t maxCells = 20'000'000;       // over the whole book (~80 bytes each in memory)
  std::uint32_t maxSheets = 4096;
  // The longest text a cell may hold, in UTF-16 units as the spreadsheet counts characters.
  std::uint64_t maxCellChars = 32767;
};

struct OpenOptions {
  // For .csv: the field separator; 0 detects it from the first lines.
  char csvSeparator = 0;
  Limits limits;
  // Locks the file for as long as the book lives, so that a second kestrix run on it is refused
  // rather than overwriting this one's work (or having its own overwritten).
  bool lock = false;
};

struct SaveOptions {
  // For .csv: the field separator; 0 keeps the one the file was read with (else a comma).
  char csvSeparator = 0;
  // Asked just before the file is replaced; true abandons the save and leaves the file as it was.
  std::function<bool()> cancelled;
  // Write through a named temporary file even where the system offers an unnamed one.
  bool namedTemporary = false;
};

// Opens an .xlsx (or .xlsm) or .csv file, chosen by its extension.
FileResult<std::shared_ptr<memhost::Book>> OpenWorkbook(const std::string& path,
                                                        const OpenOptions& options = {});

// Saves to .xlsx/.xlsm or .csv by the target's extension. Nothing is written on failure, and
// nothing is replaced that must not be: see WriteAtomically.
FileResult<void> SaveWorkbook(const memhost::Book& book, const std::string& path,
                              const SaveOptions& options = {});

}  // namespace kx::files
