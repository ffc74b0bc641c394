// What a run of the launcher did, in the administrator's words, told from what the emulator
// sees before and after it: the package files applied and deleted or left alone, an import
// path that names nothing, where an export went.
#pragma once

#include <string>
#include <vector>

#include "tools/qrvdevice/device_state.h"

class RunAccount {
 public:
  // Looks at the device before the run: the launcher's words as it will split them (from
  // `args`, or the raw line when given), the package folder and the file a path names.
  RunAccount(const std::vector<std::string>& args, const std::string* rawLine);

  // After the run: one line for each thing it did or left undone.
  std::vector<std::string> tell(const std::vector<ReportEntry>& report) const;

 private:
  std::vector<std::string> tellPackageRun(const std::vector<ReportEntry>& report) const;
  std::vector<std::string> tellImport(const std::vector<ReportEntry>& report) const;
  std::vector<std::string> tellExport(const std::vector<ReportEntry>& report) const;

  std::vector<std::string> words_;  // the launcher's arguments, UTF-8, as it splits them
  bool pathCut_ = false;            // the path did not fit the launcher's argument slot
  bool pathExisted_ = false;
  std::string packageFolder_;              // device path; empty when APPS is not a text
  std::vector<std::string> packageFiles_;  // file names in it before the run
};
