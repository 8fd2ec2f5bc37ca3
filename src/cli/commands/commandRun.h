// A sub-command of tarvek2-cli registers its options on the app and returns
// the function that runs it; the function's result is the exit status.
#pragma once

#include <functional>

// The command-line parser stays out of this header: it costs every file that
// includes it half a minute of compiling.
namespace CLI {
class App;
}

using TCommandRun = std::function<int()>;
