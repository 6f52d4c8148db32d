// The PRM block: PRMSTART, the linker lines, PRMEND.

#include "check/CheckerParts.h"

namespace forgeline::checker {

void checkPrmBlocks(const McuFile& file, FileReport& report) {
  const Piece* lastStart = nullptr;
  int linesSinceStart = 0;
  for (const Piece& p : file.pieces) {
    if (p.use == PieceUse::prmLine) ++linesSinceStart;
    if (p.kind != LineKind::prmStart) continue;
    if (lastStart != nullptr)
      report.add(FindingKind::secondPrmBlock, p.line,
                 "a second PRMSTART: the wizard discards the " + counted(linesSinceStart, "PRM line") +
                     " read since line " + std::to_string(lastStart->line) +
                     " and keeps only the block that starts here; keep one PRM block");
    lastStart = &p;
    linesSinceStart = 0;
  }
  if (lastStart == nullptr)
    report.add(FindingKind::noPrmBlock, 0,
               "no PRM block: Project.prm would get the PRM lines of the MCU loaded before; add PRMSTART, the "
               "linker lines and PRMEND");
}

}  // namespace forgeline::checker
