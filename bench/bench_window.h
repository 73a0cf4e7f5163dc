#pragma once

#include "app/main_window.h"

#include <memory>

namespace hv::bench {

// A main window whose start-up has run as far as the shown window, with
// nothing reaching outside: no page opens and the program's end does
// nothing.
inline std::unique_ptr<Form1> loadedWindow()
{
    Form1::Environment env;
    env.random = [] { return 0.5; };
    env.openPage = [](const QString&) {};
    env.endProgram = [] {};
    auto window = std::make_unique<Form1>(env);
    window->Form_Load();
    return window;
}

// The same, with the rest of start-up done: the list read whole, the
// checks that follow the window finished.
inline std::unique_ptr<Form1> startedWindow()
{
    auto window = loadedWindow();
    window->session().ready({.backupDone = true});
    return window;
}

}  // namespace hv::bench
