// Generated files as they must be on disk, shared by the tests of the
// writers and of the whole build.
#pragma once

#include <array>
#include <string>

namespace forgeline::expected {

// derivative.h naming `include`; only the HCS08 one defines the stop and
// wait macros.
inline std::string derivativeHeader(const std::string& include, bool hcs08) {
  std::string text =
      "/*                                                                                                        \r\n"
      " * Note: This file is recreated by the project wizard whenever the MCU is                                 \r\n"
      " *       changed and should not be edited by hand                                                         \r\n"
      " */                                                                                                       \r\n"
      "                                                                                                          \r\n"
      "/* Include the derivative-specific header file */                                                         \r\n"
      "#include " + include + "                                                                                               \r\n"
      "                                                                                                          \r\n";
  if (hcs08)
    text +=
        "#define _Stop asm ( stop; )                                                                               \r\n"
        "  /*!< Macro to enter stop modes, STOPE bit in SOPT1 register must be set prior to executing this macro */\r\n"
        "                                                                                                          \r\n"
        "#define _Wait asm ( wait; )                                                                               \r\n"
        "  /*!< Macro to enter wait mode */\r\n";
  return text;
}

// main.c under the two header lines `head`, with the text of its eight
// regions: sections 1 to 5, the body of main, function and interrupt bodies.
inline std::string mainSource(const std::string& head, const std::array<std::string, 8>& region) {
  const std::string blank =
      "                                                                                           \r\n";
  const std::string rule =
      "//---------------------------------------------------------------------                    \r\n";
  const char* const titles[] = {
      "// INCLUDES ///////////////////////////////////////////////////////////                    \r\n",
      "// DEFINES ////////////////////////////////////////////////////////////                    \r\n",
      "// GLOBAL CONSTANTS ///////////////////////////////////////////////////                    \r\n",
      "// GLOBAL VARIABLES ///////////////////////////////////////////////////                    \r\n",
      "// FUNCTION HEADERS ///////////////////////////////////////////////////                    \r\n",
      "// *** MAIN ***********************************************************                    \r\n",
      "// FUNCTION BODIES ////////////////////////////////////////////////////                    \r\n",
      "// INTERRUPT BODIES ///////////////////////////////////////////////////                    \r\n",
  };
  std::string text = head;
  for (std::size_t i = 0; i < 8; ++i) {
    text += blank + blank + titles[i] + rule;
    if (i != 5) {
      text += region[i];
      continue;
    }
    text += "void main(void)                                                                            \r\n"
            "{                                                                                          \r\n" +
            region[i];
    text += "}                                                                                          \r\n" + rule +
            "// ********************************************************************                    \r\n";
  }
  return text;
}

inline const std::string kMultipleModulesBody =
    "MCU_Init();  \r\n"
    "for (;;)    // Empty project was created due to multiple module choice. \r\n"
    "  {          \r\n"
    "  }          \r\n";

// The HCS08 settings file for the device DEMO08.
inline const std::string kHcs08Ini =
    "[Environment Variables]\r\n"
    "GENPATH={Project}Sources;{Compiler}lib\\hc08c\\device\\src;{Compiler}lib\\hc08c\\device\\include;"
    "{Compiler}lib\\hc08c\\device\\asm_include;{Compiler}lib\\hc08c\\src;{Compiler}lib\\hc08c\\include;"
    "{Compiler}lib\\hc08c\\lib\r\n"
    "LIBPATH={Compiler}lib\\hc08c\\device\\include;{Compiler}lib\\hc08c\\include\r\n"
    "OBJPATH={Project}bin\r\n"
    "TEXTPATH={Project}bin\r\n"
    "ABSPATH={Project}bin\r\n"
    "\r\n"
    "[HI-WAVE]\r\n"
    "Target=HCS08ICDCYCLMULT\r\n"
    "Layout=C_layout.hwl\r\n"
    "LoadDialogOptions=RUNANDSTOPAFTERLOAD=\"main\"\r\n"
    "\r\n"
    "[HCS08ICDCYCLMULT]\r\n"
    "CURRENTDEVICE=DEMO08\r\n"
    "CMDFILE0=CMDFILE STARTUP ON \".\\cmd\\BDM_P&E_Multilink_CyclonePro_startup.cmd\"\r\n"
    "CMDFILE1=CMDFILE RESET ON \".\\cmd\\BDM_P&E_Multilink_CyclonePro_reset.cmd\"\r\n"
    "CMDFILE2=CMDFILE PRELOAD ON \".\\cmd\\BDM_P&E_Multilink_CyclonePro_preload.cmd\"\r\n"
    "CMDFILE3=CMDFILE POSTLOAD ON \".\\cmd\\BDM_P&E_Multilink_CyclonePro_postload.cmd\"\r\n"
    "\r\n"
    "[PEDEBUG]\r\n"
    "CURRENTDEVICE=DEMO08\r\n"
    "\r\n"
    "\r\n"
    "\r\n";

// The RS08 settings file for the device MC9RS08KA2.
inline const std::string kRs08Ini =
    "[Environment Variables]\r\n"
    "GENPATH={Project}Sources;{Compiler}lib\\rs08c\\src;{Compiler}lib\\rs08c\\include;{Compiler}lib\\rs08c\\lib;"
    "{Compiler}lib\\hc08c\\device\\src;{Compiler}lib\\hc08c\\device\\include;"
    "{Compiler}lib\\hc08c\\device\\asm_include;{Compiler}lib\\hc08c\\src;{Compiler}lib\\hc08c\\include;"
    "{Compiler}lib\\hc08c\\lib\r\n"
    "LIBPATH={Compiler}lib\\hc08c\\device\\include;{Compiler}lib\\rs08c\\include;{Compiler}lib\\hc08c\\include\r\n"
    "OBJPATH={Project}bin\r\n"
    "TEXTPATH={Project}bin\r\n"
    "ABSPATH={Project}bin\r\n"
    "\r\n"
    "[HI-WAVE]\r\n"
    "Target=RS08ICDCYCLMULT\r\n"
    "Layout=C_layout.hwl\r\n"
    "LoadDialogOptions=RUNANDSTOPAFTERLOAD=\"main\"\r\n"
    "\r\n"
    "[RS08ICDCYCLMULT]\r\n"
    "CURRENTDEVICE=MC9RS08KA2\r\n"
    "CMDFILE0=CMDFILE STARTUP ON \".\\cmd\\RS08_BDM_P&E_Multilink_CyclonePro_startup.cmd\"\r\n"
    "CMDFILE1=CMDFILE RESET ON \".\\cmd\\RS08_BDM_P&E_Multilink_CyclonePro_reset.cmd\"\r\n"
    "CMDFILE2=CMDFILE PRELOAD ON \".\\cmd\\RS08_BDM_P&E_Multilink_CyclonePro_preload.cmd\"\r\n"
    "CMDFILE3=CMDFILE POSTLOAD ON \".\\cmd\\RS08_BDM_P&E_Multilink_CyclonePro_postload.cmd\"\r\n"
    "\r\n"
    "[PEDEBUG]\r\n"
    "CURRENTDEVICE=MC9RS08KA2\r\n"
    "\r\n"
    "[CHIPWIN]\r\n"
    "CHIPWIN_VISIBLE=0\r\n";

}  // namespace forgeline::expected
