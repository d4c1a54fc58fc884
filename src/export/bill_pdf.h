#pragma once
// The PDF a bill is kept as: where it goes, and how it gets there. The office writes the sheet
// into a temporary file of ours in the month's folder, which is then renamed to its name without
// ever replacing a file (two bills of the same second get "name (2).pdf"), so nothing half-written
// is ever found under a bill's name. The folders made here are 0700 and the file 0600, whatever
// the umask. No Qt, no UNO.

#include <functional>
#include <optional>
#include <string>

#include "calc/error.h"

namespace quenby {

// Where one bill's PDF goes: the month's folder and the file's name without ".pdf", both UTF-8.
// `root` is the folder of every month's folder; it and the month's folder are ours (0700).
struct PdfRequest {
  std::string root;
  std::string folder;  // inside `root`
  std::string name;
};

// What became of the PDF of an export: its path, or why there is none. Both empty: none was
// asked for.
struct KeptPdf {
  std::string path;
  std::optional<QuenbyError> failure;
};

// Makes the folders, has `write` write the PDF into the temporary file it is given (UTF-8 path,
// the file exists and is empty), and renames it to the first free name. Returns the PDF's path.
// Raises PdfNotWritten naming the cause (a full disk with the bytes left, a read-only disk, a
// folder that may not be written); a failure of `write` is passed on with that cause when one
// holds. No temporary file remains, also after a failure.
std::string keepPdf(const PdfRequest& request, const std::function<void(const std::string&)>& write);

}  // namespace quenby
