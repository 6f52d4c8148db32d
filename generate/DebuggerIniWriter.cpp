#include "generate/DebuggerIniWriter.h"

#include <string_view>

namespace forgeline {

namespace {

struct IniLine {
  std::string_view hcs08;
  std::string_view rs08;
  bool device = false;  // followed by the loaded MCU's device name
};

// The command-file names here are in lower case and the layout file is
// "C_layout.hwl": the debugger reads them so, whatever the files on disk are
// called.
constexpr IniLine kIniLines[] = {
    {"[Environment Variables]", "[Environment Variables]"},
    {"GENPATH={Project}Sources;{Compiler}lib\\hc08c\\device\\src;{Compiler}lib\\hc08c\\device\\include;"
     "{Compiler}lib\\hc08c\\device\\asm_include;{Compiler}lib\\hc08c\\src;{Compiler}lib\\hc08c\\include;"
     "{Compiler}lib\\hc08c\\lib",
     "GENPATH={Project}Sources;{Compiler}lib\\rs08c\\src;{Compiler}lib\\rs08c\\include;{Compiler}lib\\rs08c\\lib;"
     "{Compiler}lib\\hc08c\\device\\src;{Compiler}lib\\hc08c\\device\\include;"
     "{Compiler}lib\\hc08c\\device\\asm_include;{Compiler}lib\\hc08c\\src;{Compiler}lib\\hc08c\\include;"
     "{Compiler}lib\\hc08c\\lib"},
    {"LIBPATH={Compiler}lib\\hc08c\\device\\include;{Compiler}lib\\hc08c\\include",
     "LIBPATH={Compiler}lib\\hc08c\\device\\include;{Compiler}lib\\rs08c\\include;{Compiler}lib\\hc08c\\include"},
    {"OBJPATH={Project}bin", "OBJPATH={Project}bin"},
    {"TEXTPATH={Project}bin", "TEXTPATH={Project}bin"},
    {"ABSPATH={Project}bin", "ABSPATH={Project}bin"},
    {"", ""},
    {"[HI-WAVE]", "[HI-WAVE]"},
    {"Target=HCS08ICDCYCLMULT", "Target=RS08ICDCYCLMULT"},
    {"Layout=C_layout.hwl", "Layout=C_layout.hwl"},
    {"LoadDialogOptions=RUNANDSTOPAFTERLOAD=\"main\"", "LoadDialogOptions=RUNANDSTOPAFTERLOAD=\"main\""},
    {"", ""},
    {"[HCS08ICDCYCLMULT]", "[RS08ICDCYCLMULT]"},
    {"CURRENTDEVICE=", "CURRENTDEVICE=", true},
    {"CMDFILE0=CMDFILE STARTUP ON \".\\cmd\\BDM_P&E_Multilink_CyclonePro_startup.cmd\"",
     "CMDFILE0=CMDFILE STARTUP ON \".\\cmd\\RS08_BDM_P&E_Multilink_CyclonePro_startup.cmd\""},
    {"CMDFILE1=CMDFILE RESET ON \".\\cmd\\BDM_P&E_Multilink_CyclonePro_reset.cmd\"",
     "CMDFILE1=CMDFILE RESET ON \".\\cmd\\RS08_BDM_P&E_Multilink_CyclonePro_reset.cmd\""},
    {"CMDFILE2=CMDFILE PRELOAD ON \".\\cmd\\BDM_P&E_Multilink_CyclonePro_preload.cmd\"",
     "CMDFILE2=CMDFILE PRELOAD ON \".\\cmd\\RS08_BDM_P&E_Multilink_CyclonePro_preload.cmd\""},
    {"CMDFILE3=CMDFILE POSTLOAD ON \".\\cmd\\BDM_P&E_Multilink_CyclonePro_postload.cmd\"",
     "CMDFILE3=CMDFILE POSTLOAD ON \".\\cmd\\RS08_BDM_P&E_Multilink_CyclonePro_postload.cmd\""},
    {"", ""},
    {"[PEDEBUG]", "[PEDEBUG]"},
    {"CURRENTDEVICE=", "CURRENTDEVICE=", true},
    {"", ""},
    {"", "[CHIPWIN]"},
    {"", "CHIPWIN_VISIBLE=0"},
};

}  // namespace

std::string debuggerIniName(bool isRs08) {
  return isRs08 ? "RS08_BDM_P&E_Multilink_CyclonePro.ini" : "BDM_P&E_Multilink_CyclonePro.ini";
}

std::string debuggerIniText(const WizardState& state) {
  std::string text;
  for (const IniLine& line : kIniLines) {
    text += state.isRs08 ? line.rs08 : line.hcs08;
    if (line.device) text += state.currentDevice;
    text += '\n';
  }
  return text;
}

WriteOutcome writeDebuggerIni(const WizardState& state, FileSystem& fs) {
  return writeTextFile(fs, debuggerIniName(state.isRs08), debuggerIniText(state));
}

}  // namespace forgeline
