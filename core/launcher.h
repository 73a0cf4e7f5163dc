#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>

// Starting another program from a command line and waiting until it ends,
// with the user interface kept responsive meanwhile.
namespace hv::shell32 {

// The show styles a started program is given, as the platform numbers them.
enum WindowStyle : int {
    StyleHidden = 0,
    StyleNormalFocus = 1,
    StyleMinimizedFocus = 2,
    StyleMaximizedFocus = 3,
    StyleNormalNoFocus = 4,
    StyleShow = 5,
    StyleMinimizedNoFocus = 6
};

// Failures to start are returned as this base plus the failure's number.
inline constexpr qint32 kLaunchFailureBase = -2147221504;  // 0x80040000

// Numbers of the failures to start, as the platform numbers them.
inline constexpr qint32 kProgramNotFound = 2;
inline constexpr qint32 kAccessDenied = 5;
inline constexpr qint32 kBadProgramFormat = 193;

// The style a program is started with: 6 when none is given or the one given
// is outside 0 to 6, otherwise the one given.
int NormalizedWindowStyle(std::optional<int> windowStyle);

// What a child on this system can honour of a show style: it has no window
// show state at start, so a hidden child gets no terminal (input, output and
// errors go to the null device) and any other style shares this program's.
struct ChildChannels {
    bool attachedToTerminal;
};
ChildChannels channelsForStyle(int normalizedStyle);

// Starts the program named by the command line (program then arguments,
// split as a command line is, never through a shell) and returns its exit
// code once it has ended, processing window events every 100 ms meanwhile.
// A program that cannot be started returns at once kLaunchFailureBase plus
// kProgramNotFound, kAccessDenied or kBadProgramFormat. A program ended by a
// signal returns 128 plus the signal's number, as a shell reports it.
qint32 LaunchAndWait(const QString& commandLine, std::optional<int> windowStyle = std::nullopt);

// The same for a program named by its path, taken whole (blanks and quotes
// in it are part of the name), with its arguments given one by one.
qint32 LaunchProgramAndWait(const QString& program, const QStringList& arguments,
                            std::optional<int> windowStyle = std::nullopt);

}  // namespace hv::shell32
