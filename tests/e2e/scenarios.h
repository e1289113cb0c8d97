// The scenarios: each works dravosk.exe (`exe`) as a user could and checks what it shows; those
// with a host start korvane-sim.exe (`sim`) for themselves. 0 passed, 1 failed, kSkipped.
#pragma once

#include <string>
#include <string_view>

#include "demo/form1_remote.h"
#include "demo/vector_check.h"
#include "tests/support/korvane_sim.h"

namespace dravosk::e2e {

inline constexpr int kSkipped = 77;

// korvane-sim.exe for a scenario with a host, serving `program` with its window shown; every
// failure to reach it is a failed check.
inline test::SimHost scenarioHost(const std::wstring& sim, std::string_view program) {
    return {sim, program, L"e2e", test::SimServer::Window::shown,
            [](const std::string& what) { demo::check(false, demo::wide(what)); }};
}

// The window by itself (window_scenarios.cpp).
int resources(const std::wstring& exe);
int startState(const std::wstring& exe);
int layout(const std::wstring& exe);
int tabOrder(const std::wstring& exe);
int keys(const std::wstring& exe);
int closing(const std::wstring& exe);

// Read and Write against korvane-sim.exe (read_write_scenarios.cpp).
int readAndWrite(const std::wstring& exe, const std::wstring& sim);
int emptyProgram(const std::wstring& exe, const std::wstring& sim);

// Failures and the error report (error_scenarios.cpp).
int readWithoutHost(const std::wstring& exe, const std::wstring& sim);
int noProgram(const std::wstring& exe, const std::wstring& sim);
int writeFailure(const std::wstring& exe, const std::wstring& sim);
int badWaitVariable(const std::wstring& exe);

// A busy or hanging host: retries, the question whether to wait on, and giving up
// (busy_host_scenarios.cpp).
int busyWrite(const std::wstring& exe, const std::wstring& sim);
int hangThenWait(const std::wstring& exe, const std::wstring& sim);
int hangThenCancel(const std::wstring& exe, const std::wstring& sim);
int clickDuringRefusals(const std::wstring& exe, const std::wstring& sim);
int controlsChangedDuringRefusals(const std::wstring& exe, const std::wstring& sim);
int typedAheadEnter(const std::wstring& exe, const std::wstring& sim);
int hangInRelease(const std::wstring& exe, const std::wstring& sim);

}  // namespace dravosk::e2e
