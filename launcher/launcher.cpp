// One run of the launcher: install the plug-in, bind the manager, apply or export, unbind.
#include "launcher/launcher.h"

#include "launcher/command_line.h"
#include "launcher/device_paths.h"
#include "launcher/manager_binding.h"
#include "launcher/package_files.h"
#include "platform/files.h"

namespace {

constexpr std::int32_t kExchangeCapacity = 512;

struct Run {
  ArgumentTable arguments;
  ManagerBinding manager;
  WCHAR exchange[kExchangeCapacity] = {};

  void clearExchange() {
    for (WCHAR& unit : exchange) unit = 0;
  }

  bool isOption(const WCHAR* shortWord, const WCHAR* longWord) const {
    return textCompareNoCase(arguments[1], shortWord) == 0 ||
           textCompareNoCase(arguments[1], longWord) == 0;
  }

  // Applies the file named by argument 2 and deletes it; a path that names nothing, or one
  // that was cut to fit its slot, is left alone.
  void importFile() {
    const WCHAR* path = arguments[2];
    if (arguments.cut[2] || path[0] == 0 || GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) {
      return;
    }
    manager.applyConfiguration(path);
    DeleteFileW(path);
  }

  // Copies the manager's export to argument 2 and deletes the manager's file. Nothing is
  // copied or deleted when the manager named no file, named the target itself (the delete
  // would then remove the only copy), or left the buffer without a terminator: cut to fit,
  // that path would name another file, which the delete would destroy.
  void exportFile() {
    const WCHAR* target = arguments[2];
    if (arguments.cut[2]) return;
    clearExchange();
    manager.getInfo(exchange, kExchangeCapacity);
    clearExchange();
    manager.getConfiguration(exchange, kExchangeCapacity);
    if (exchange[kExchangeCapacity - 1] != 0) return;
    if (exchange[0] == 0 || sameDevicePath(exchange, target)) return;
    CopyFileW(exchange, target, FALSE);
    DeleteFileW(exchange);
  }

  void dispatchOption() {
    if (isOption(WSTR("/e"), WSTR("/export"))) {
      if (arguments.count > 2) exportFile();
    } else if (isOption(WSTR("/i"), WSTR("/import"))) {
      if (arguments.count > 2) importFile();
    }
  }

  void applyPackageFiles() {
    for (const WCHAR* name : kGeneralFiles) {
      if (FindPackageFile(name, arguments)) {
        manager.applyConfiguration(arguments[2]);
        DeleteFileW(arguments[2]);
      }
    }
    arguments.count = 1;
    arguments.slots[1][0] = 0;

    for (const WCHAR* name : kDeviceFamilyFiles) {
      if (FindPackageFile(name, arguments)) {
        dispatchOption();
        return;
      }
    }
    // No device-family file: the manager's export is made and left where the manager put it.
    clearExchange();
    manager.getInfo(exchange, kExchangeCapacity);
    manager.getConfiguration(exchange, kExchangeCapacity);
  }
};

}  // namespace

int runLauncher(const WCHAR* commandLine) {
  Run run;
  splitCommandLine(commandLine, run.arguments);

  // On every start, before the manager looks for it, so that it finds the shipped plug-in.
  CopyFileW(WSTR("\\QRVConfig.dll"), WSTR("\\Windows\\QRVConfig.dll"), FALSE);

  if (!run.manager.bind()) return 0;
  if (run.arguments.count <= 1) {
    run.applyPackageFiles();
  } else {
    run.dispatchOption();
  }
  run.manager.unbind();
  return 0;
}
