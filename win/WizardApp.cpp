#include "win/WizardApp.h"

#include <windows.h>
#include <commctrl.h>
#include <shobjidl.h>

#include <filesystem>
#include <optional>

#include "core/Clock.h"
#include "core/FileSystem.h"
#include "core/Win32Text.h"
#include "win/ProjectWizardDialog.h"
#include "win/Win32DialogPort.h"

namespace forgeline {

namespace {

constexpr const wchar_t* kUsage =
    L"Usage: forgeline [--choose-folder] [DIR]\n"
    L"\n"
    L"Opens the Forgeline project wizard in DIR, or in the current folder,\n"
    L"which must hold the folder KeyFiles.\n"
    L"\n"
    L"  --choose-folder  ask for the folder when DIR has no KeyFiles\n"
    L"                   (always done when no DIR is given); Cancel ends\n"
    L"                   the program\n"
    L"  -h, --help       show this text and exit\n"
    L"  --version        show the version and exit\n";

struct StartOptions {
  bool help = false;
  bool version = false;
  bool chooseFolder = false;
  std::optional<std::wstring> folder;
  std::optional<std::wstring> error;
};

StartOptions parseArguments(const std::vector<std::wstring>& arguments) {
  StartOptions options;
  bool optionsEnded = false;
  for (const std::wstring& argument : arguments) {
    if (!optionsEnded && argument == L"--") {
      optionsEnded = true;
    } else if (!optionsEnded && (argument == L"--help" || argument == L"-h")) {
      options.help = true;
    } else if (!optionsEnded && argument == L"--version") {
      options.version = true;
    } else if (!optionsEnded && argument == L"--choose-folder") {
      options.chooseFolder = true;
    } else if (!optionsEnded && argument.size() > 1 && argument[0] == L'-') {
      options.error = L"unknown option '" + argument + L"'";
    } else if (options.folder) {
      options.error = L"only one DIR can be given";
    } else {
      options.folder = argument;
    }
  }
  return options;
}

// A program without a console: the text goes to where standard output was
// sent, else to the console it was started from, else into a message box.
void tell(const std::wstring& text, bool isError) {
  const std::string bytes = narrow(text);
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

bool holdsKeyFiles(const std::string& folder) {
  RealFileSystem fs(folder);
  for (const DirectoryEntry& entry : fs.listEntries())
    if (entry.name == "KeyFiles" && entry.isDirectory) return true;
  return false;
}

// The system's folder picker; nullopt when the user cancels it. Choosing
// KeyFiles itself means the folder that holds it.
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
      std::filesystem::path folder(path);
      if (folder.filename() == L"KeyFiles" && !holdsKeyFiles(narrow(folder.wstring())))
        folder = folder.parent_path();
      chosen = narrow(folder.wstring());
      ::CoTaskMemFree(path);
    }
    item->Release();
  }
  picker->Release();
  return chosen;
}

}  // namespace

int runWizardApp(const std::vector<std::wstring>& arguments) {
  StartOptions options = parseArguments(arguments);
  if (options.help) {
    tell(kUsage, false);
    return 0;
  }
  if (options.version) {
    tell(L"forgeline " FORGELINE_VERSION L"\n", false);
    return 0;
  }
  std::string folder = options.folder ? narrow(*options.folder) : std::string();
  if (!options.error && options.folder && !RealFileSystem(folder).usable())
    options.error = L"cannot enter directory '" + *options.folder + L"'";
  if (options.error) {
    tell(L"forgeline: " + *options.error + L" (see forgeline --help)\n", true);
    return 2;
  }

  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  bool run = true;
  if ((!options.folder || options.chooseFolder) && !holdsKeyFiles(folder)) {
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
