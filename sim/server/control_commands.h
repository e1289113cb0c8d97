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
//   clear-faults                          undo fail, missing, unfilled and crash
//   no-program                            no part program is open
//   load FILE / save FILE                 the part program from / to a JSON file
//   revoke                                withdraw the class object from COM
//   quit                                  end the server
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "sim/server/control_channel.h"
#include "sim/server/server_state.h"

namespace dravosk::sim::server {

// The exit code of a server ended by "crash".
inline constexpr unsigned kCrashExitCode = 9;

class ControlCommands {
  public:
    struct Actions {
        std::function<bool()> revoke;  // false when nothing was registered
        std::function<void()> quit;
    };

    ControlCommands(ServerState& state, Actions actions)
        : state_(state), actions_(std::move(actions)) {}

    // Until then every request is refused, so a client that got an answer can rely on the
    // class object being registered.
    void setReady() { ready_ = true; }
    ControlReply run(std::string_view request);

  private:
    bool ready_ = false;
    ServerState& state_;
    Actions actions_;
};

}  // namespace dravosk::sim::server
