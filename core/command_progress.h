// Where the running command stands: the nested steps an error would be named by, and Write's
// record. The window owns one and hands it to each command; the watch for a host that does not
// answer reads it from inside a wait while a host call is out, so a report can be given without
// the command's help.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/error.h"
#include "core/write_record.h"

namespace dravosk {

class CommandProgress {
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

    // A new command starts: no steps, an empty record.
    void begin();

    // How an error at `member` within the current steps names its step, e.g.
    // "Befehl 5: Merkmal "B1", Datensatz 3: PutVector".
    std::u16string stepText(std::u16string_view member) const;

    WriteRecord& record() noexcept { return record_; }
    const WriteRecord& record() const noexcept { return record_; }

    // The error for the host call `member`, out now, when the operator gives up on it (number
    // and description as the caller gives them): named by that call's step, with what was
    // written and a PutVector in flight as uncertain.
    Error abandoned(std::int32_t number, std::u16string description,
                    std::u16string_view member) const;

  private:
    std::vector<const std::u16string*> steps_;  // owned by the Step objects
    WriteRecord record_;
};

}  // namespace dravosk
