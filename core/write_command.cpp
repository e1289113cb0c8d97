#include <array>
#include <bit>
#include <cstdint>
#include <iterator>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/commands.h"
#include "core/error.h"
#include "core/text.h"

namespace dravosk {

namespace {

struct DataSet {
    std::int32_t code;
    CheckBox box;
    std::u16string_view name;
};
constexpr DataSet kDataSets[] = {
    {2, CheckBox::check1, u"Theo"}, {3, CheckBox::check2, u"IST"}, {27, CheckBox::check3, u"Ziel"}};
constexpr std::int32_t kVectorKind = 1;
static_assert(std::size(kDataSets) <= WriteRecord::kPutsPerFeature,
              "the record must have room for every PutVector of a feature");

// A quiet NaN no measurement gives, compared bit for bit: catches a component GetVector left unset.
constexpr std::uint64_t kUnfilledBits = 0x7FF8'D5A0'5CB1'7E11ull;
const double kUnfilled = std::bit_cast<double>(kUnfilledBits);

bool unfilled(double value) {
    return std::bit_cast<std::uint64_t>(value) == kUnfilledBits;
}

// The marked texts, built once: the list cannot change while a command runs.
std::unordered_set<std::u16string> markedTexts(const FeatureList& list) {
    std::unordered_set<std::u16string> marked;
    const Int16 last = checkedSub(list.count(), 1);
    for (Int16 index = 0; index <= last; index = checkedAdd(index, 1)) {
        if (list.isMarked(index)) {
            marked.insert(list.text(index));
        }
    }
    return marked;
}

std::u16string dataSetName(std::int32_t code) {
    for (const DataSet& set : kDataSets) {
        if (set.code == code) {
            return std::u16string(set.name);
        }
    }
    return decimal(code);
}

// Why nothing more of this feature was written after an unfilled vector, and what of it was.
std::u16string unfilledText(const WriteRecord::Feature& feature, std::int32_t code) {
    std::u16string text =
        u"Korvane hat den Vektor nicht geliefert (GetVector kehrte ohne Werte zurück); ";
    if (feature.reversed.empty()) {
        return text + u"für dieses Merkmal wurde nichts geschrieben.";
    }
    return text + u"für dieses Merkmal ist " + reversedNames(feature) + u" schon umgekehrt; ab " +
           dataSetName(code) + u" wurde nichts mehr geschrieben.";
}

using Vector = std::array<double, 3>;

// Equal bit for bit: a host that keeps what it was given returns exactly the values written.
bool sameBits(const Vector& a, const Vector& b) {
    return std::bit_cast<std::array<std::uint64_t, 3>>(a) ==
           std::bit_cast<std::array<std::uint64_t, 3>>(b);
}

// What the vector read back after a failed PutVector says, against the one before: bit for bit
// first, then by value (a host may store -0 as 0) where only one matches (zeros match both).
WriteRecord::ReadBack judged(const Vector& before, const Vector& now) {
    const Vector negated{-before[0], -before[1], -before[2]};
    if (sameBits(now, negated)) {
        return WriteRecord::ReadBack::negated;
    }
    if (sameBits(now, before)) {
        return WriteRecord::ReadBack::asBefore;
    }
    const bool likeNegated = now == negated;
    const bool likeBefore = now == before;
    if (likeNegated && !likeBefore) {
        return WriteRecord::ReadBack::negated;
    }
    if (likeBefore && !likeNegated) {
        return WriteRecord::ReadBack::asBefore;
    }
    return WriteRecord::ReadBack::otherwise;
}

// Asks the host once what the vector is after a failed PutVector; a failed read leaves it unknown.
// The PutVector stays in flight meanwhile, so giving up on the read names it uncertain.
WriteRecord::ReadBack readBack(HostObject& feature, std::int32_t code, const Vector& before,
                               CommandProgress& progress) {
    const CommandProgress::Step step(progress, u"Nachlesen nach fehlgeschlagenem PutVector");
    try {
        Vector now{kUnfilled, kUnfilled, kUnfilled};
        const HostArg get[] = {kVectorKind, code, &now[0], &now[1], &now[2]};
        feature.call(u"GetVector", get);
        if (unfilled(now[0]) || unfilled(now[1]) || unfilled(now[2])) {
            return WriteRecord::ReadBack::otherwise;
        }
        return judged(before, now);
    } catch (...) {
        return WriteRecord::ReadBack::otherwise;
    }
}

void reverseFeature(HostObject& feature, const std::u16string& id, const ControlStates& states,
                    CommandProgress& progress) {
    WriteRecord& record = progress.record();
    record.startFeature(id);
    for (const DataSet& set : kDataSets) {
        const CommandProgress::Step step(progress, dataSetStep(id, set.code));
        double x = kUnfilled, y = kUnfilled, z = kUnfilled;
        const HostArg get[] = {kVectorKind, set.code, &x, &y, &z};
        feature.call(u"GetVector", get);
        if (unfilled(x) || unfilled(y) || unfilled(z)) {
            throw Error(errnum::kVectorNotFilled, unfilledText(record.features().back(), set.code),
                        u"GetVector");
        }
        if (states.checkState(set.box) == 1) {
            const HostArg put[] = {kVectorKind, set.code, -x, -y, -z};
            record.putStarted(set.code);
            try {
                feature.call(u"PutVector", put);
            } catch (const Error& e) {
                // Reading the vector back tells how the call ended, unless it certainly did not
                // run or was given up on: the host may carry that one out after the question.
                if (e.outcome() == CallOutcome::unknown) {
                    record.putFailed(readBack(feature, set.code, {x, y, z}, progress));
                } else {
                    record.putFailed(e.outcome());
                }
                throw;
            }
            record.putSucceeded();
        }
    }
}

}  // namespace

std::u16string reversedNames(const WriteRecord::Feature& feature) {
    std::u16string names;
    for (std::size_t i = 0; i < feature.reversed.size(); ++i) {
        names += (i == 0 ? u"" : u", ") + dataSetName(feature.reversed[i]);
    }
    return names;
}

std::u16string dataSetStep(const std::u16string& id, std::int32_t code) {
    return u"Merkmal \"" + id + u"\", Datensatz " + decimal(code);
}

void cmd_schreiben_Click(AutomationService& service, FeatureList& list, ControlStates& states,
                         CommandProgress& progress) {
    try {
        HostContext host(service);
        HostEnumeratorPtr commands = host.commands().enumerate();
        const std::unordered_set<std::u16string> marked = markedTexts(list);

        // Each feature is reversed at most once, however many marked entries or laps carry it:
        // every feature object reversed is held until the command ends, so its identity stays its
        // own, and the walk stops at the first one met again, before touching it. A host handing
        // out a new object each time is stopped by the bound instead: features are counted as Read
        // lists them, and the first beyond what the list could hold is not touched.
        std::vector<HostObjectPtr> held;
        std::unordered_set<HostIdentity> reversedIds;
        Int16 features = 0;
        forEachFeature(*commands, progress, [&](HostObjectPtr& feature, const std::u16string& id) {
            if (id.empty()) {
                return;  // never listed, so never marked
            }
            if (features == kInt16Max) {
                throw Error(
                    errnum::kTooManyFeatures,
                    u"Korvane lieferte mehr Merkmale, als die Liste fassen kann (höchstens " +
                        decimal(kInt16Max) +
                        u"): die Befehlsliste des Teileprogramms endet nicht.");
            }
            features = checkedAdd(features, 1);
            if (!marked.contains(id)) {
                return;
            }
            const HostIdentity identity = feature->identity();
            if (reversedIds.contains(identity)) {
                throw Error(errnum::kFeatureMetAgain,
                            u"Korvane lieferte ein Merkmal, das schon umgekehrt wurde, ein "
                            u"zweites Mal: die Befehlsliste des Teileprogramms beginnt von vorn "
                            u"oder enthält es doppelt. Es wurde nicht noch einmal umgekehrt.",
                            u"Merkmal \"" + id + u"\"");
            }
            reversedIds.insert(identity);
            held.push_back(std::move(feature));
            reverseFeature(*held.back(), id, states, progress);
        });

        states.showMessage(kWrittenMessage);
    } catch (Error& e) {
        if (e.number() == errnum::kTooManyFeatures || e.number() == errnum::kTooManyCommands) {
            // The host handed out new objects lap after lap: its entries may repeat features.
            progress.record().collectionRepeated();
        }
        throw;
    }
    list.clear();
    states.setEnabled(Button::schreiben, false);
}

}  // namespace dravosk
