#include <windows.h>

#include <string>
#include <vector>

#include "win/WizardApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  std::vector<std::wstring> arguments;
  for (int i = 1; argv && i < argc; ++i) arguments.emplace_back(argv[i]);
  ::LocalFree(argv);
  return forgeline::runWizardApp(arguments);
}
