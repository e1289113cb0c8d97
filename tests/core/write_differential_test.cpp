// Random part programs, marks and check states, with Read and Write in random order; after every
// Write the host's vectors must equal those of a small reference model, bit for bit.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "tests/core/host_fixture.h"
#include "tests/support/bits.h"

namespace dravosk {
namespace {

using test::bits;
using test::HostTest;

// The reference: the plain reading of what Write must do, written without the tool's code.
struct Reference {
    static bool isFeature(const sim::Value& v) {
        if (const auto* b = std::get_if<bool>(&v))
            return *b;
        if (const auto* i = std::get_if<std::int16_t>(&v))
            return *i != 0;
        return false;  // null
    }
    static void write(sim::PartProgram& program, const std::vector<std::u16string>& listed,
                      const std::vector<bool>& marks, const std::array<int, 3>& checks) {
        for (sim::Command& c : program.commands) {
            if (!isFeature(c.isFeature))
                continue;
            const std::u16string& id = std::get<std::u16string>(c.id);
            bool matched = false;
            for (std::size_t i = 0; i < listed.size(); ++i) {
                matched = matched || (marks[i] && listed[i] == id);
            }
            if (!matched)
                continue;
            for (std::size_t set = 0; set < 3; ++set) {
                if (checks[set] == 1) {
                    for (double& component : c.vectors[set])
                        component = -component;
                }
            }
        }
    }
};

class WriteDifferential : public HostTest {};

TEST_F(WriteDifferential, AgreesWithTheReferenceOnRandomPartPrograms) {
    std::mt19937 random(20261208);
    const std::u16string ids[] = {u"", u" ", u"P1", u"p1", u"P1 ", u"Größe", u"Bohrung_2", u"X"};
    const sim::Value flags[] = {true,           true, true, false, sim::Null{}, std::int16_t{-1},
                                std::int16_t{0}};
    const double components[] = {0.0, -0.0, 1.0, -1.0, 0.5, 1e-310, -123.456, 1e300};
    auto pick = [&](const auto& options) {
        return options[std::uniform_int_distribution<std::size_t>(0,
                                                                  std::size(options) - 1)(random)];
    };

    int writes = 0;
    for (int round = 0; round < 300; ++round) {
        sim::PartProgram program{u"Zufall", {}};
        const int size = std::uniform_int_distribution<int>(0, 12)(random);
        for (int i = 0; i < size; ++i) {
            sim::Command c;
            c.isFeature = pick(flags);
            c.id = pick(ids);
            for (auto& vector : c.vectors)
                for (double& component : vector)
                    component = pick(components);
            program.commands.push_back(c);
        }
        model.setActive(program);
        list.clear();
        states = sim::MemoryControlStates{};
        sim::PartProgram expected = program;

        for (int step = 0; step < 4; ++step) {
            read();
            std::vector<std::u16string> listed;
            std::vector<bool> marks;
            for (Int16 i = 0; i < list.count(); ++i) {
                const bool mark = random() % 3 == 0;
                list.setMarked(i, mark);
                listed.push_back(list.text(i));
                marks.push_back(mark);
            }
            std::array<int, 3> checks{};
            for (std::size_t box = 0; box < 3; ++box) {
                checks[box] = static_cast<int>(random() % 2);
                states.setCheck(static_cast<CheckBox>(box), checks[box]);
            }
            if (random() % 4 == 0 && !model.active()->commands.empty()) {
                // The host changes between Read and Write: one command goes away.
                const std::size_t gone = random() % model.active()->commands.size();
                model.active()->commands.erase(model.active()->commands.begin() +
                                               static_cast<long>(gone));
                expected.commands.erase(expected.commands.begin() + static_cast<long>(gone));
            }
            write();
            ++writes;
            Reference::write(expected, listed, marks, checks);

            ASSERT_EQ(model.active()->commands.size(), expected.commands.size());
            for (std::size_t c = 0; c < expected.commands.size(); ++c) {
                for (std::size_t set = 0; set < 3; ++set) {
                    for (std::size_t k = 0; k < 3; ++k) {
                        ASSERT_EQ(bits(model.active()->commands[c].vectors[set][k]),
                                  bits(expected.commands[c].vectors[set][k]))
                            << "round " << round << " step " << step << " command " << c << " set "
                            << set;
                    }
                }
            }
            ASSERT_EQ(list.count(), 0);
            ASSERT_EQ(recorder.liveObjects(), 0);
        }
    }
    EXPECT_EQ(writes, 1200);
}

}  // namespace
}  // namespace dravosk
