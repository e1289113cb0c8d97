#include "tests/support/part_program.h"

#include <utility>

#include "core/text.h"

namespace dravosk::test {

sim::Command feature(sim::Value id, sim::Vector theo, sim::Vector ist, sim::Vector ziel) {
    sim::Command c;
    c.isFeature = true;
    c.id = std::move(id);
    c.vectors = {theo, ist, ziel};
    return c;
}

sim::Command command(sim::Value isFeature, sim::Value id) {
    sim::Command c = feature(std::move(id));
    c.isFeature = std::move(isFeature);
    return c;
}

sim::Command nonFeature(sim::Value isFeature, sim::Value id) {
    sim::Command c;
    c.isFeature = std::move(isFeature);
    c.id = std::move(id);
    c.label = u"Ausrichtung";
    return c;
}

sim::PartProgram numberedFeatures(int count) {
    sim::PartProgram program{u"Bench", {}};
    for (int i = 0; i < count; ++i) {
        program.commands.push_back(feature(u"Merkmal " + decimal(i + 1)));
    }
    return program;
}

std::vector<std::u16string> texts(const FeatureList& list) {
    std::vector<std::u16string> out;
    for (Int16 i = 0; i < list.count(); ++i) {
        out.push_back(list.text(i));
    }
    return out;
}

}  // namespace dravosk::test
