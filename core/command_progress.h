// Where the running command stands: the nested steps an error would be named by, the host call
// that is out, and Write's record. The window owns one and hands it to each command; it is read
// on the user-interface thread from inside a wait while a host call is out (the watch for a host
// that does not answer), so a report can be given without the command's help.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/call_observer.h"
#include "core/error.h"
#include "core/write_record.h"

namespace dravosk {

class CommandProgress final : public CallObserver {
  public:
    // One step of the command, e.g. "Befehl 5" or "Merkmal "B1", Datensatz 3", for as long as
    // it lives. Steps nest in the order they are made.
    class Step {
      public:
        Step(CommandProgress& progress, std::u16string text);
        ~Step();
        Step(const Step&) = delete;
        Step& operator=(const Step&) = delete;

        // Puts this step in front of where an error raised within it arose.
        void addTo(Error& error) const { error.addContext(text_); }

      private:
        CommandProgress& progress_;
        std::u16string text_;
    };

    // A new command starts: no steps, no call out, an empty record.
    void begin();

    // How an error at `member` within the current steps names its step, e.g.
    // "Befehl 5: Merkmal "B1", Datensatz 3: PutVector".
    std::u16string stepText(std::u16string_view member) const;

    // The step of the host call that is out now, as its error would name it; nullopt when none
    // is out.
    std::optional<std::u16string> callInFlight() const;

    WriteRecord& record() noexcept { return record_; }
    const WriteRecord& record() const noexcept { return record_; }

    // The error for the call out now when it is given up on (number and description as the
    // caller gives them): named by that call's step, with what was written, and a PutVector in
    // flight as uncertain.
    Error abandoned(std::int32_t number, std::u16string description) const;

    // Also told of every call, after this object has noted it (the window's watch).
    void setWatcher(CallObserver* watcher) noexcept { watcher_ = watcher; }

    void callStarted(std::u16string_view member) noexcept override;
    void callEnded() noexcept override;

  private:
    std::vector<const std::u16string*> steps_;  // owned by the Step objects
    std::optional<std::u16string_view> inFlight_;
    WriteRecord record_;
    CallObserver* watcher_ = nullptr;
};

}  // namespace dravosk
