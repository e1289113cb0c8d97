// Where the running command stands: the nested steps an error would be named by, and Write's
// record. The window owns one and hands it to each command; the watch for a host that does not
// answer reads it from inside a wait while a host call is out, so a report can be given without
// the command's help.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/error.h"
#include "core/write_record.h"

namespace dravosk {

class CommandProgress {
  public:
    // One step of the command, e.g. "Befehl 5" or "Merkmal "B1", Datensatz 3", for as long as
    // it lives. Steps nest in the order they are made. A step that an exception leaves stays on
    // until the error is named, so that the error is named by the step it arose in.
    class Step {
      public:
        Step(CommandProgress& progress, std::u16string text);
        ~Step();
        Step(const Step&) = delete;
        Step& operator=(const Step&) = delete;

      private:
        CommandProgress& progress_;
        int exceptions_;  // on their way when the step began
    };

    // A new command starts: no steps, an empty record.
    void begin();

    // How an error at `member` within the current steps names its step, e.g.
    // "Befehl 5: Merkmal "B1", Datensatz 3: PutVector".
    std::u16string stepText(std::u16string_view member) const;

    // Names `error`, raised with just the member it failed at (or nothing), by the steps it
    // arose in; for the one catch of a command's steps.
    void name(Error& error);

    WriteRecord& record() noexcept { return record_; }
    const WriteRecord& record() const noexcept { return record_; }

  private:
    std::vector<std::u16string> steps_;  // the live steps, then those a failure left
    std::size_t live_ = 0;
    WriteRecord record_;
};

}  // namespace dravosk
