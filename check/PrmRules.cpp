// The PRM block: PRMSTART, the linker lines, PRMEND.
#include <memory>

#include "check/CheckerParts.h"

namespace forgeline::checker {

namespace {

class PrmBlockRules : public PieceRules {
 public:
  void see(const Piece& p, FileReport& report) override {
    if (p.use == PieceUse::prmLine) ++linesSinceStart_;
    if (p.kind != LineKind::prmStart) return;
    if (lastStart_ != 0)
      report.add(RuleOrder::prmBlocks, FindingKind::secondPrmBlock, p.line,
                 "a second PRMSTART: the wizard discards the " + counted(linesSinceStart_, "PRM line") +
                     " read since line " + std::to_string(lastStart_) +
                     " and keeps only the block that starts here; keep one PRM block");
    lastStart_ = p.line;
    linesSinceStart_ = 0;
  }

  void finish(const LoadedFile&, FileReport& report) override {
    if (lastStart_ == 0)
      report.add(RuleOrder::prmBlocks, FindingKind::noPrmBlock, 0,
                 "no PRM block: Project.prm would get the PRM lines of the MCU loaded before; add PRMSTART, the "
                 "linker lines and PRMEND");
  }

 private:
  int lastStart_ = 0;  // the line of the last PRMSTART; 0 before the first
  int linesSinceStart_ = 0;
};

}  // namespace

std::unique_ptr<PieceRules> prmBlockRules() { return std::make_unique<PrmBlockRules>(); }

}  // namespace forgeline::checker
