// The text commands of the control channel, run against the server's model on its main thread:
//
//   live                                  live COM objects of the server
//   calls                                 "call <member(args)>" per recorded call, then
//                                         "roundtrip <kind> [<member>] <n>" per kind and member,
//                                         then "roundtrips <total>"
//   clear-calls                           forget calls and round trips
//   fail MEMBER N NUMBER DESCRIPTION      the Nth call of MEMBER from now raises NUMBER
//                                         (decimal or 0x hex) with DESCRIPTION (rest of the line)
//   missing MEMBER                        MEMBER no longer exists
//   unfilled N                            the Nth GetVector from now fills nothing
//   crash MEMBER N                        the Nth call of MEMBER from now withdraws the class
//                                         object and ends the server while serving it
//   reject MS                             refuse calls on IDispatch and IEnumVARIANT for MS
//                                         milliseconds from now (0: no longer)
//   delay MEMBER N MS                     the Nth call of MEMBER from now is held MS milliseconds
//   hang MEMBER N                         the Nth call of MEMBER from now is held until released
//   release                               the held call goes on; its member
//   clear-faults                          undo all of the above, and release a held call
//   no-program                            no part program is open
//   load FILE / save FILE                 the part program from / to a JSON file; a load also
//                                         sets the file's faults
//   revoke                                withdraw the class object from COM
//   quit                                  end the server
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "sim/faults.h"
#include "sim/server/control_channel.h"
#include "sim/server/server_state.h"
#include "sim/server/stall.h"

namespace dravosk::sim::server {

// The exit code of a server ended by "crash".
inline constexpr unsigned kCrashExitCode = 9;

class ControlCommands {
  public:
    struct Actions {
        std::function<bool()> revoke;  // false when nothing was registered
        std::function<void()> quit;
    };

    ControlCommands(ServerState& state, Stall& stall, Actions actions)
        : state_(state), stall_(stall), actions_(std::move(actions)) {}
    ControlCommands(const ControlCommands&) = delete;
    ControlCommands& operator=(const ControlCommands&) = delete;
    // The traps set here hold on to the stall and the actions, which may go before the state.
    ~ControlCommands() { state_.traps().disarm(); }

    // Until then every request is refused, so a client that got an answer can rely on the
    // class object being registered.
    void setReady() { ready_ = true; }
    ControlReply run(std::string_view request);
    // Sets the faults of a busy host, as the commands reject, delay and hang do.
    void setFaults(const BusyFaults& faults);

  private:
    void delay(std::u16string member, int nth, std::chrono::milliseconds duration);
    void hang(std::u16string member, int nth);

    bool ready_ = false;
    ServerState& state_;
    Stall& stall_;
    Actions actions_;
};

}  // namespace dravosk::sim::server
