#include <bit>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/commands.h"
#include "core/error.h"
#include "core/feature_walk.h"
#include "core/host_context.h"
#include "core/text.h"

namespace dravosk {

namespace {

struct DataSet {
    std::int32_t code;
    CheckBox box;
};
constexpr DataSet kDataSets[] = {
    {2, CheckBox::check1}, {3, CheckBox::check2}, {27, CheckBox::check3}};
constexpr std::int32_t kVectorKind = 1;

// A quiet NaN with a payload no measurement produces: GetVector must overwrite it, and it is
// compared bit for bit, so a host that returns without filling a component is caught.
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

// Reverses the chosen vectors of one feature; notes it in `changed` once its first vector is
// written.
void reverseFeature(HostObject& feature, const std::u16string& id, const ControlStates& states,
                    std::vector<std::u16string>& changed) {
    bool wrote = false;
    for (const DataSet& set : kDataSets) {
        const std::u16string step = u"Merkmal \"" + id + u"\", Datensatz " + decimal(set.code);
        try {
            double x = kUnfilled, y = kUnfilled, z = kUnfilled;
            const HostArg get[] = {kVectorKind, set.code, &x, &y, &z};
            feature.call(u"GetVector", get);
            if (unfilled(x) || unfilled(y) || unfilled(z)) {
                throw Error(errnum::kVectorNotFilled,
                            u"Korvane hat den Vektor nicht geliefert (GetVector kehrte ohne Werte "
                            u"zurück); für dieses Merkmal wurde nichts geschrieben.",
                            u"GetVector");
            }
            if (states.checkState(set.box) == 1) {
                const HostArg put[] = {kVectorKind, set.code, -x, -y, -z};
                feature.call(u"PutVector", put);
                if (!wrote) {
                    changed.push_back(id);
                    wrote = true;
                }
            }
        } catch (Error& e) {
            e.addContext(step);
            throw;
        }
    }
}

}  // namespace

void cmd_schreiben_Click(AutomationService& service, FeatureList& list, ControlStates& states) {
    HostContext host(service);
    HostEnumeratorPtr commands = host.commands().enumerate();
    const std::unordered_set<std::u16string> marked = markedTexts(list);

    // Each feature is reversed at most once, however many marked entries carry its identifier.
    std::vector<std::u16string> changed;
    try {
        forEachFeature(*commands, [&](HostObject& feature, const std::u16string& id) {
            if (marked.contains(id)) {
                reverseFeature(feature, id, states, changed);
            }
        });
    } catch (Error& e) {
        e.setChanged(std::move(changed));
        throw;
    }

    states.showMessage(kWrittenMessage);
    list.clear();
    states.setEnabled(Button::schreiben, false);
}

}  // namespace dravosk
