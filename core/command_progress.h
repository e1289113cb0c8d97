// Where the running command stands: the nested steps an error is named by, and what a Write has
// done to the host so far. The window starts one anew per command; its watch for a host that does
// not answer reads it from inside a wait while a host call is out, to report without the command.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/error.h"

namespace dravosk {

// Kept as a Write goes, so that any failure, or an operator giving up on a call, names exactly
// what was written.
class WriteRecord {
  public:
    struct Feature {
        std::u16string id;
        std::vector<std::int32_t> reversed;  // data set codes, in the order they were written
        std::vector<std::int32_t> uncertain;
    };

    // PutVector calls per feature the record has room for: one per data set.
    static constexpr std::size_t kPutsPerFeature = 3;

    // A marked feature is reached (host order), an entry of its own even for a repeated identifier;
    // the PutVector calls that follow belong to it. All the room they need is taken here.
    void startFeature(std::u16string id);
    // Around one PutVector: started before it is sent, then succeeded or failed. None allocates or
    // throws, so nothing can keep a call the host carried out from the record; a call beyond the
    // room stays in flight and so counts as uncertain.
    void putStarted(std::int32_t dataSet) noexcept;
    void putSucceeded() noexcept;
    // Failed, only how it ended known: not written if it certainly did not run, else uncertain.
    void putFailed(CallOutcome outcome) noexcept;
    // Failed, then one GetVector of the data set read the vector: as before (not written), negated
    // (reversed), or anything else, a failed read included (uncertain).
    enum class ReadBack { asBefore, negated, otherwise };
    void putFailed(ReadBack now) noexcept;

    // The collection did not end (or started over) while the host handed out new objects, so the
    // entries of one identifier may be one feature met lap after lap, reversed once more each time.
    // They become one entry, at the first's place: a data set stays reversed only if exactly one
    // reversed it and none left it uncertain, else it is uncertain (an even count restored it).
    void collectionRepeated() noexcept;

    // The data set of the last feature's PutVector that was sent and has not answered (out now, or
    // left by an exception other than Error), if any; its outcome is unknown, so it is uncertain.
    std::optional<std::int32_t> inFlight() const noexcept;

    // Every feature reached, in host order, including those with nothing written.
    const std::vector<Feature>& features() const noexcept { return features_; }

  private:
    std::vector<Feature> features_;
    std::optional<std::int32_t> pending_;  // the PutVector in flight, if any
};

class CommandProgress {
  public:
    // One step of the command, e.g. "Befehl 5" or "Merkmal "B1", Datensatz 3", while it lives;
    // steps nest. One an exception leaves stays until the error is named by the step it arose in.
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

    // `member` named by the current steps, e.g. "Befehl 5: Merkmal "B1", Datensatz 3: PutVector".
    std::u16string stepText(std::u16string_view member) const;

    // Names `error`, raised with just its member (or nothing), by its steps; for their one catch.
    void name(Error& error);

    WriteRecord& record() noexcept { return record_; }
    const WriteRecord& record() const noexcept { return record_; }

  private:
    std::vector<std::u16string> steps_;  // the live steps, then those a failure left
    std::size_t live_ = 0;
    WriteRecord record_;
};

}  // namespace dravosk
