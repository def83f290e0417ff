#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

// Splits a command line into words by the Windows rules. Blanks (space, tab) separate words and
// double quotes group. The first word, the program name, ends at the first blank outside quotes
// and its quotes are removed; backslashes in it are literal. In the other words 2n backslashes
// before a quote give n backslashes and the quote groups, 2n+1 give n backslashes and a literal
// quote, other backslashes are literal, and "" inside quotes gives one literal quote.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// The word as it must be written on a command line (after the first word) so that
// SplitCommandLine gives it back whole: unchanged when it holds no blank and no quote, else in
// quotes with its quotes and the backslashes before them escaped.
std::string QuoteCommandLineWord(std::string_view word);

// The program a first word names: a name with a "/" as it is; otherwise the first executable
// regular file of that name in the absolute directories of PATH (empty or relative elements are
// skipped: never the current directory). Empty when none.
std::string FindProgram(std::string_view name);

// The remote-desktop client named "mstsc.exe": a program of exactly that name on PATH, else the
// client adapter kestrune-rdp beside the running program. Empty when neither exists.
std::string ResolveClientProgram();
// The same with the adapter looked for in `adapterDirectory`.
std::string ResolveClientProgram(const std::string& adapterDirectory);

enum class StartResult {
    Started,     // the program's image replaced the child: exec succeeded
    NotStarted,  // no program of that name, or fork or exec failed
    Pending,     // the child had not reached exec within the wait
};

// Starts the command line's program detached (a new session, reparented away from us so that no
// zombie is left), with the words of the command line as its arguments, our environment and our
// working directory. The first word "mstsc.exe" resolves through ResolveClientProgram. Waits at
// most `waitMs` milliseconds to learn whether exec succeeded.
StartResult StartProcess(std::string_view commandLine, int waitMs = 1000);

}  // namespace kestrune
