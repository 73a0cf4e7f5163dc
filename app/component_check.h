#pragma once

#include <QString>

class QWidget;

// The start-up check of the database components, with the offer to repair
// them from the update package shipped in the program folder.
namespace hv {

// What start-up does once the component check has returned.
enum class AfterComponentCheck { ContinueStartUp, EndProgram };

// Tries to create the connection and recordset objects the program uses.
// When either cannot be created it offers the repair, starts the matching
// package hidden and waits for it, and asks whether to stop so that the
// machine and the program can be restarted. Shows no error report: every
// failure inside it is skipped silently. Returns EndProgram only when the
// user chose to stop; start-up then ends the program without saving anything.
AfterComponentCheck IsADOInstalled(QWidget* parent);

// The processor's address width in decimal digits, "64" or "32", from the
// architecture of the running system (what the kernel reports, not what this
// program was built for, so a 32-bit build on a 64-bit system says "64").
// Empty text when the architecture is not known.
QString ProcessorAddressWidth();

// The address width of an architecture as the system names it ("x86_64",
// "arm64", "i386", ...); empty text for a name it does not know.
QString addressWidthOfArchitecture(const QString& architecture);

// The repair package for an address width, in the program folder.
QString repairPackagePath(const QString& addressWidth);

}  // namespace hv
