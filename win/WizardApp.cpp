#include "win/WizardApp.h"

#include <windows.h>
#include <commctrl.h>
#include <shobjidl.h>

#include <optional>
#include <sstream>

#include "options/WindowOptions.h"
#include "core/Clock.h"
#include "core/FileSystem.h"
#include "core/Win32Text.h"
#include "session/StartFolder.h"
#include "win/ProjectWizardDialog.h"
#include "win/Win32DialogPort.h"

namespace forgeline {

namespace {

// A program without a console: the text goes to where standard output was
// sent, else to the console it was started from, else into a message box.
void tell(const std::string& bytes, bool isError) {
  const std::wstring text = widenFileName(bytes);
  HANDLE out = ::GetStdHandle(isError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  DWORD written = 0;
  if (out && out != INVALID_HANDLE_VALUE &&
      ::WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
    return;
  if (::AttachConsole(ATTACH_PARENT_PROCESS)) {
    HANDLE console = ::CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (console != INVALID_HANDLE_VALUE) {
      ::WriteConsoleW(console, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
      ::CloseHandle(console);
      return;
    }
  }
  ::MessageBoxW(nullptr, text.c_str(), widenFileName(programFileName()).c_str(),
                MB_OK | (isError ? MB_ICONERROR : 0));
}

// The system's folder picker; nullopt when the user cancels it.
std::optional<std::string> askForFolder() {
  IFileDialog* picker = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&picker))))
    return std::nullopt;
  std::optional<std::string> chosen;
  FILEOPENDIALOGOPTIONS flags = 0;
  picker->GetOptions(&flags);
  picker->SetOptions(flags | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
  picker->SetTitle(L"Choose the folder that holds KeyFiles");
  IShellItem* item = nullptr;
  if (SUCCEEDED(picker->Show(nullptr)) && SUCCEEDED(picker->GetResult(&item))) {
    PWSTR path = nullptr;
    if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
      chosen = startFolderFor(narrow(path));
      ::CoTaskMemFree(path);
    }
    item->Release();
  }
  picker->Release();
  return chosen;
}

}  // namespace

int runWizardApp(const std::vector<std::wstring>& arguments) {
  // The Linux window's command line, read from the same definitions.
  std::vector<std::string> utf8{"forgeline"};
  for (const std::wstring& argument : arguments) utf8.push_back(narrow(argument));
  std::vector<const char*> argv;
  for (const std::string& argument : utf8) argv.push_back(argument.c_str());
  std::ostringstream out, err;
  const WindowCommandLine commandLine = parseWindowCommandLine(static_cast<int>(argv.size()), argv.data(), out, err);
  if (commandLine.exitStatus) {
    if (!out.str().empty()) tell(out.str(), false);
    if (!err.str().empty()) tell(err.str(), true);
    return *commandLine.exitStatus;
  }
  const WindowOptions& options = commandLine.options;

  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  std::string folder = options.folder;
  bool run = true;
  if ((folder.empty() || options.chooseFolder) && !holdsKeyFiles(folder)) {
    const std::optional<std::string> chosen = askForFolder();
    run = chosen.has_value();
    if (chosen) folder = *chosen;
  }
  if (run) {
    RealFileSystem fs(folder);
    SystemClock clock;
    ProjectWizardDialog dialog(fs, clock);
    dialog.run();
  }
  if (SUCCEEDED(com)) ::CoUninitialize();
  return 0;
}

}  // namespace forgeline
