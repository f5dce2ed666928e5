#pragma once
// The parameter model of a simulated module of the TQ300 family, the LOQ3, the ZB40 or the ZB20:
// the INF 6 and INF 8 answers built from its settings, and the CFG and SET data that change them.

#include <optional>
#include <string>

#include "sim/sim_module.h"

namespace lumo::sim {

// True for the types that keep parameters (1, 4, 10; 3; 8; 9).
bool hasParameters(int type);

// "V1.23C070": the version and the device flags.
std::string versionAnswer(const SimModule& m);
// "P100+P200+P312+P400+B1O+B2F+B3O+B4F+D105+D205": the codes the module's family reports.
std::string parameterAnswer(const SimModule& m);

// Takes the data of CFG 0, 3, 4, 8 or SET 2 (by the subinstruction number written on the
// wire); false when the command is none of these. Pieces it cannot read are skipped.
bool takeParameterCommand(SimModule& m, const std::string& name, int sub, const std::string& data);

// One line of the settings, for the wire log: "P1=0 P2=0 ... B=O F O F ... D1=5 ...".
std::string parameterSummary(const SimModule& m);

}  // namespace lumo::sim
